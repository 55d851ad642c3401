#pragma once

#include "scope/GLRenderer.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace corvane
{
/** The vector scope as the editor places it: the GLRenderer over the whole view, told which skin to show.

    Threads: the view lives on the message thread, where ConfigState's changes arrive too; it hands the skin to
    the renderer through the renderer's atomic isDark, which the OpenGL thread reads at its next frame. The view
    paints nothing itself. */
class VectorScopeView : public juce::Component
    , public juce::ValueTree::Listener
{
public:
    /** All four are borrowed: the processor side and the editor's context outlive the view. The context is attached
        to the renderer here; the editor detaches it before the view goes. */
    VectorScopeView (IProcessorStateProvider& stateProvider,
                     IAudioSampleProvider& sampleProvider,
                     juce::ValueTree& configState,
                     juce::OpenGLContext& context);
    ~VectorScopeView() override;

    void resized() override;
    void valueTreePropertyChanged (juce::ValueTree& tree, const juce::Identifier& property) override;

    GLRenderer& getRenderer() noexcept { return *renderer; }

private:
    std::unique_ptr<GLRenderer> renderer;
    juce::ValueTree& configState;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VectorScopeView)
};
} // namespace corvane
