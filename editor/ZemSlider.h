#pragma once

#include "editor/MessageThreadUpdater.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

namespace corvane
{
/** The vertical gain control: one thumb image, higher for more gain, over a transparent component that lets
    the skin show around it. Presses and wheel moves count only in a band of thumbSize pixels around the
    vertical centre line; every change it makes is a gesture of its own, so a host records each step.

    Threads: the mouse handlers, painting and the update run on the message thread and are the only code that
    touches the component and shownValue. parameterChanged() is called on whichever thread changed the
    parameter, the audio thread under host automation; it only asks the updater, which never locks, allocates
    or waits, to move the thumb on the message thread. The destructor stops listening before any member goes,
    and the updater, declared last, goes first. */
class ZemSlider : public juce::Component
    , public juce::AudioProcessorValueTreeState::Listener
{
public:
    ZemSlider (juce::AudioProcessorValueTreeState& apvts, juce::String parameterID);
    ~ZemSlider() override;

    /** Width in pixels of the band in which presses and wheel moves count; the editor sets it at every layout. */
    void setThumbSize (int newThumbSize);

    void mouseDown (const juce::MouseEvent& event) override;
    void mouseDrag (const juce::MouseEvent& event) override;
    void mouseUp (const juce::MouseEvent& event) override;
    void mouseWheelMove (const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) override;
    void paint (juce::Graphics& g) override;

    void parameterChanged (const juce::String& parameterID, float newValue) override;

private:
    float getThumbHalfHeight() const;
    float getTravel() const;
    float valueToY (float value) const;
    float yToValue (float y) const;
    bool isInsideHitBand (const juce::MouseEvent& event) const;
    void setValue (float value);
    void showCurrentValue();

    bool isDragging = false;
    float grabOffset = 0.0f;
    juce::AudioProcessorValueTreeState& apvts;
    juce::String parameterID;
    juce::Image thumbImage;
    int thumbSize = 0;

    // The value the thumb is drawn at; the thumb moves only when the updater brings a new one.
    float shownValue = 0.0f;
    MessageThreadUpdater updater;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZemSlider)
};
} // namespace corvane
