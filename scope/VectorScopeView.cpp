#include "scope/VectorScopeView.h"

#include "interfaces/ParameterIds.h"

namespace corvane
{
VectorScopeView::VectorScopeView (IProcessorStateProvider& stateProvider,
                                  IAudioSampleProvider& sampleProvider,
                                  juce::ValueTree& configStateToFollow,
                                  juce::OpenGLContext& context)
    : renderer (std::make_unique<GLRenderer> (stateProvider, sampleProvider, context))
    , configState (configStateToFollow)
{
    addAndMakeVisible (*renderer);
    configState.addListener (this);

    // A restored state holds "0" or "1" as text; as bool both read as meant, and a missing property as light.
    renderer->isDark = static_cast<bool> (configState.getProperty (isDarkIdentifier, false));
}

VectorScopeView::~VectorScopeView()
{
    configState.removeListener (this);
    renderer.reset();
}

void VectorScopeView::resized()
{
    renderer->setBounds (getLocalBounds());
}

void VectorScopeView::valueTreePropertyChanged (juce::ValueTree& tree, const juce::Identifier& property)
{
    // The tree's children report here too; only ConfigState's own skin property concerns the scope.
    if (tree == configState && property == isDarkIdentifier)
        renderer->isDark = static_cast<bool> (tree.getProperty (isDarkIdentifier, false));
}
} // namespace corvane
