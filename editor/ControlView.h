#pragma once

#include "editor/ControlViewListener.h"
#include "editor/MessageThreadUpdater.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

namespace corvane
{
/** The bar at the foot of the editor: the "ZEM On" switch, the skin switch, and the info and help buttons, which
    only tell the listeners. Each switch shows its state however it changed: by the switch, a restored state or
    host automation.

    Threads: everything runs on the message thread except parameterChanged, which the parameter state calls on
    whichever thread changed "ZEM On", the audio thread under host automation. It only asks the updater, which
    sets an atomic flag there, so the picture is swapped on the message thread and the audio thread never
    locks, allocates or waits. The destructor stops listening to the parameter before anything else, and the
    updater, declared last, goes before the rest of the bar. */
class ControlView : public juce::Component
    , public juce::ValueTree::Listener
    , public juce::AudioProcessorValueTreeState::Listener
{
public:
    ControlView (juce::AudioProcessorValueTreeState& apvts, juce::ValueTree configState);
    ~ControlView() override;

    /** Ignores null and a listener already added. The buttons call the listeners from the last added to the first. */
    void addListener (ControlViewListener* listener);
    void removeListener (ControlViewListener* listener);

    void resized() override;

    void valueTreePropertyChanged (juce::ValueTree& tree, const juce::Identifier& property) override;

    /** Any thread. */
    void parameterChanged (const juce::String& parameterID, float newValue) override;

private:
    bool isZemOn() const;
    bool isDark() const;
    void updateZemOnImage();
    void updateSkinImage();

    juce::AudioProcessorValueTreeState& apvts;
    juce::ValueTree configState;
    juce::Label zemOnLabel;
    juce::ImageButton zemOnButton;
    juce::Label skinModeLabel;
    juce::ImageButton skinModeButton;
    juce::ImageButton infoButton;
    juce::ImageButton helpButton;
    juce::Image zemOnImage;
    juce::Image zemOffImage;
    juce::Image lightSkinImage;
    juce::Image darkSkinImage;
    juce::ListenerList<ControlViewListener> listeners;

    MessageThreadUpdater zemOnImageUpdater { [this] { updateZemOnImage(); } };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ControlView)
};
} // namespace corvane
