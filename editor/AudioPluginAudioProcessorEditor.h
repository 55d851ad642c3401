#pragma once

#include "editor/AboutView.h"
#include "editor/BackgroundImageView.h"
#include "editor/ControlView.h"
#include "editor/ControlViewListener.h"
#include "editor/DraggableLabelView.h"
#include "editor/LevelMeterView.h"
#include "editor/ModalView.h"
#include "editor/ZemSlider.h"
#include "scope/VectorScopeView.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_opengl/juce_opengl.h>

#include <memory>

namespace corvane
{
class AudioPluginAudioProcessor;
class ApvtsManager;

/** The plug-in's window: the skin, the vector scope, the meters, the gain slider and its value label, the control
    bar, and the About panel in an overlay, under which every other view is disabled while it shows. It lays the
    views out on the 1540 x 974 design canvas scaled to its width and keeps that aspect ratio. Everything here runs
    on the message thread; only the scope renders on the OpenGL context's thread, while the scope shows. */
class AudioPluginAudioProcessorEditor : public juce::AudioProcessorEditor
    , public juce::ComponentListener
    , public ControlViewListener
{
public:
    AudioPluginAudioProcessorEditor (AudioPluginAudioProcessor& processor, ApvtsManager* apvtsManager);
    ~AudioPluginAudioProcessorEditor() override;

    void resized() override;
    void componentVisibilityChanged (juce::Component& component) override;
    void infoButtonClicked (ControlView* sender) override;
    void helpButtonClicked (ControlView* sender) override;

    /** The window's smallest and largest sizes on a display whose user area (the area without task bars) is
        given; an empty area, as with no display at all, allows only the smallest size. */
    struct SizeLimits
    {
        int minimumWidth, minimumHeight, maximumWidth, maximumHeight;
    };
    static SizeLimits sizeLimitsFor (juce::Rectangle<int> userArea);

    /** The online manual, opened by the help button. */
    static const juce::URL manualUrl;

    /** For tests: the views as the editor holds them. */
    VectorScopeView& getVectorScopeView() noexcept { return *vectorScopeView; }
    ModalView& getModalView() noexcept { return *modalView; }
    AboutView& getAboutView() noexcept { return *aboutView; }
    ControlView& getControlView() noexcept { return *controlView; }

private:
    AudioPluginAudioProcessor& processorRef;
    ApvtsManager* apvtsManager;

    std::unique_ptr<BackgroundImageView> backgroundImageView;
    std::unique_ptr<ZemSlider> gainSlider;
    std::unique_ptr<VectorScopeView> vectorScopeView;
    std::unique_ptr<LevelMeterView> inputLevelMeter;
    std::unique_ptr<LevelMeterView> outputLevelMeter;
    std::unique_ptr<ModalView> modalView;
    std::unique_ptr<AboutView> aboutView;
    std::unique_ptr<ControlView> controlView;
    std::unique_ptr<DraggableLabelView> gainValueLabel;
    juce::OpenGLContext openGLContext;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AudioPluginAudioProcessorEditor)
};
} // namespace corvane
