#pragma once

#include "editor/CustomizableMouseListener.h"
#include "editor/MessageThreadUpdater.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>

namespace corvane
{
/** Shows a parameter's text and changes the parameter by a vertical drag on it (200 pixels for the whole
    range, measured from the press) or by the mouse wheel anywhere over it; each change is a gesture of its
    own. A Ctrl-press measures the drag from the default value instead of the current one.

    Threads: the mouse handlers and the text update run on the message thread and are the only code that
    touches the label. parameterChanged() is called on whichever thread changed the parameter, the audio
    thread under host automation; it only asks the updater, which never locks, allocates or waits, to
    refresh the text on the message thread. The destructor stops listening before any member goes, and the
    updater, declared last, goes first. */
class DraggableLabelView : public juce::Component
    , public juce::AudioProcessorValueTreeState::Listener
{
public:
    DraggableLabelView (juce::AudioProcessorValueTreeState& apvts, juce::String parameterID);
    ~DraggableLabelView() override;

    void resized() override;

    void parameterChanged (const juce::String& parameterID, float newValue) override;

    /** Message thread only. */
    void updateText();

    /** The editor names it, which chooses how the look and feel draws it. */
    juce::Label label;

    /** The text's colour until the editor's name hands the drawing to the look and feel. */
    static const juce::Colour draggableLabelTextColour;

private:
    void setValue (float value);

    std::atomic<float> startValue { 0.0f };
    CustomizableMouseListener mouseListener;
    juce::String parameterID;
    juce::AudioProcessorValueTreeState& apvts;
    MessageThreadUpdater updater;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DraggableLabelView)
};
} // namespace corvane
