#include "editor/AudioPluginAudioProcessorEditor.h"

#include "editor/EditorLayout.h"
#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"

#include <cmath>
#include <initializer_list>

namespace corvane
{
namespace
{
    // Halves go away from zero, where juce::roundToInt would take them to even: a user area 1155 wide allows a
    // height of 730.5, which makes 731.
    int roundHalfAwayFromZero (double value)
    {
        return (int) std::round (value);
    }
} // namespace

// Nothing in it that a shell would read: JUCE hands the address to xdg-open through a shell on Linux.
const juce::URL AudioPluginAudioProcessorEditor::manualUrl { "https://corvane.example/zem2/manual" };

AudioPluginAudioProcessorEditor::AudioPluginAudioProcessorEditor (AudioPluginAudioProcessor& processorToUse,
                                                                  ApvtsManager* manager)
    : juce::AudioProcessorEditor (processorToUse)
    , processorRef (processorToUse)
    , apvtsManager (manager)
{
    auto& apvts = apvtsManager->getApvts();

    setOpaque (true);
    openGLContext.setContinuousRepainting (true);

    backgroundImageView = std::make_unique<BackgroundImageView> (processorRef.getConfigState());
    addAndMakeVisible (*backgroundImageView);

    vectorScopeView = std::make_unique<VectorScopeView> (*apvtsManager, processorRef, processorRef.getConfigState(), openGLContext);
    addAndMakeVisible (*vectorScopeView);

    inputLevelMeter = std::make_unique<LevelMeterView> (&processorRef, LevelMeterView::Mode::input);
    addAndMakeVisible (*inputLevelMeter);
    outputLevelMeter = std::make_unique<LevelMeterView> (&processorRef, LevelMeterView::Mode::output);
    addAndMakeVisible (*outputLevelMeter);

    gainValueLabel = std::make_unique<DraggableLabelView> (apvts, masterGainParameterID);
    addAndMakeVisible (*gainValueLabel);
    gainValueLabel->label.setName ("GainVolumeLabel@indicator");
    gainValueLabel->label.setJustificationType (juce::Justification::centred);

    gainSlider = std::make_unique<ZemSlider> (apvts, masterGainParameterID);
    addAndMakeVisible (*gainSlider);

    modalView = std::make_unique<ModalView>();
    addChildComponent (*modalView);
    modalView->addComponentListener (this);

    aboutView = std::make_unique<AboutView>();

    controlView = std::make_unique<ControlView> (apvts, processorRef.getConfigState());
    addAndMakeVisible (*controlView);
    controlView->addListener (this);

    const auto ratio = (double) EditorLayout::canvasWidth / (double) EditorLayout::canvasHeight;
    getConstrainer()->setFixedAspectRatio (ratio);
    setResizable (true, true);

    // The primary display, wherever X11 puts it; without one only the smallest size is allowed.
    const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay();
    const auto limits = sizeLimitsFor (display != nullptr ? display->userArea : juce::Rectangle<int>());
    getConstrainer()->setSizeLimits (limits.minimumWidth, limits.minimumHeight, limits.maximumWidth, limits.maximumHeight);

    setSize (juce::roundToInt (EditorLayout::minimumHeight * ratio), EditorLayout::minimumHeight);
}

AudioPluginAudioProcessorEditor::~AudioPluginAudioProcessorEditor()
{
    modalView->setContent (nullptr);
    modalView->removeComponentListener (this);
    controlView->removeListener (this);

    // The context stops rendering before anything it reads goes; the views then go while it still exists, so the
    // scope's renderer can see that the context no longer targets it.
    openGLContext.detach();

    gainValueLabel.reset();
    controlView.reset();
    aboutView.reset();
    modalView.reset();
    outputLevelMeter.reset();
    inputLevelMeter.reset();
    vectorScopeView.reset();
    gainSlider.reset();
    backgroundImageView.reset();
}

AudioPluginAudioProcessorEditor::SizeLimits AudioPluginAudioProcessorEditor::sizeLimitsFor (juce::Rectangle<int> userArea)
{
    const auto width = (double) EditorLayout::canvasWidth;
    const auto height = (double) EditorLayout::canvasHeight;
    const auto minimumHeight = (double) EditorLayout::minimumHeight;
    const auto aspect = width / height;

    auto scale = 1.0;

    if (width > userArea.getWidth())
        scale = userArea.getWidth() / width;

    if (height * scale > userArea.getHeight())
        scale = userArea.getHeight() / height;

    const auto maximumHeight = juce::jmax (minimumHeight, height * scale);

    return { roundHalfAwayFromZero (aspect * minimumHeight),
             EditorLayout::minimumHeight,
             roundHalfAwayFromZero (aspect * maximumHeight),
             roundHalfAwayFromZero (maximumHeight) };
}

void AudioPluginAudioProcessorEditor::resized()
{
    backgroundImageView->setBounds (getLocalBounds());

    const auto s = EditorLayout::scaleFor (getWidth());
    vectorScopeView->setBounds (EditorLayout::place (EditorLayout::vectorScope, s));
    gainSlider->setBounds (EditorLayout::place (EditorLayout::gainSlider, s));
    gainSlider->setThumbSize (EditorLayout::thumbSizeFor (s));
    inputLevelMeter->setBounds (EditorLayout::place (EditorLayout::inputLevelMeter, s));
    outputLevelMeter->setBounds (EditorLayout::place (EditorLayout::outputLevelMeter, s));
    controlView->setBounds (EditorLayout::place (EditorLayout::controlBar, s));
    gainValueLabel->setBounds (EditorLayout::place (EditorLayout::gainValueLabel, s));

    modalView->setBounds (getLocalBounds());
}

void AudioPluginAudioProcessorEditor::componentVisibilityChanged (juce::Component& component)
{
    if (&component != modalView.get())
        return;

    // The overlay swallows clicks but passes on the keys it does not use, the host's among them; Tab would move
    // the focus to the controls below it, and Return would press them, unless they are disabled meanwhile.
    const auto overlayShows = modalView->isVisible();

    for (auto* view : std::initializer_list<juce::Component*> { backgroundImageView.get(), vectorScopeView.get(),
                                                                inputLevelMeter.get(), outputLevelMeter.get(),
                                                                gainValueLabel.get(), gainSlider.get(), controlView.get() })
        view->setEnabled (! overlayShows);

    if (! overlayShows)
        vectorScopeView->setVisible (true);
}

void AudioPluginAudioProcessorEditor::infoButtonClicked (ControlView*)
{
    modalView->setContent (aboutView.get());
    modalView->show();
    // Hiding the scope detaches the context from it, so nothing renders over the overlay.
    vectorScopeView->setVisible (false);
}

void AudioPluginAudioProcessorEditor::helpButtonClicked (ControlView*)
{
    manualUrl.launchInDefaultBrowser();
}
} // namespace corvane
