#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

namespace corvane::test
{
/** Puts a component on the desktop (of the X server the tests run in) for as long as it lives, and sends it
    mouse events through its window, so they take the way a user's do: hit tests, mouse listeners, modifier
    keys and drag tracking all as JUCE does them. Positions are in the component's own pixels. */
class DesktopWindow
{
public:
    explicit DesktopWindow (juce::Component& component);
    ~DesktopWindow();

    void press (juce::Point<int> position, juce::ModifierKeys modifiers = {});
    void drag (juce::Point<int> position, juce::ModifierKeys modifiers = {});
    void release (juce::Point<int> position, juce::ModifierKeys modifiers = {});
    void wheel (juce::Point<int> position, float deltaY, bool isReversed = false);

    /** A press and a release, twice, close enough in time to count as a double click. */
    void doubleClick (juce::Point<int> position);

    /** Gives a component in the window the keyboard focus and says whether it took it; other tests' windows on
        the same X server may hold the focus for a moment. */
    bool focus (juce::Component& target);

    /** A key pressed as the window gets it: the focused component and then its parents are offered it, and Tab
        that none of them uses moves the focus on. */
    void pressKey (const juce::KeyPress& key);

    /** The component drawn into an image, as it shows on the screen. */
    juce::Image snapshot() const;

private:
    void send (juce::Point<int> position, juce::ModifierKeys modifiers);

    juce::Component& component;
    juce::int64 time = 0;
};

/** Counts what a parameter reports to its listeners, as a host sees the edits it has to record. */
class ParameterRecorder : private juce::AudioProcessorParameter::Listener
{
public:
    explicit ParameterRecorder (juce::AudioProcessorParameter& parameterToWatch);
    ~ParameterRecorder() override;

    std::vector<float> values;
    int gestureBegins = 0;
    int gestureEnds = 0;
    int valuesOutsideAGesture = 0;

private:
    void parameterValueChanged (int, float newValue) override;
    void parameterGestureChanged (int, bool gestureIsStarting) override;

    juce::AudioProcessorParameter& parameter;
};

/** Whether the host saw exactly these values, each inside a gesture of its own: hosts in touch or latch mode
    drop an edit made outside one. */
testing::AssertionResult sawEditsInOwnGestures (const ParameterRecorder& host, const std::vector<float>& expected);

/** Whether two pictures have the same size and every pixel alike. */
bool samePixels (const juce::Image& a, const juce::Image& b);
} // namespace corvane::test
