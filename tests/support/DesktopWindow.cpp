#include "DesktopWindow.h"

#include "TestSignals.h"

namespace corvane::test
{
DesktopWindow::DesktopWindow (juce::Component& componentToShow)
    : component (componentToShow)
{
    component.addToDesktop (0);
    component.setVisible (true);
    time = juce::Time::currentTimeMillis();
}

DesktopWindow::~DesktopWindow()
{
    component.removeFromDesktop();
}

void DesktopWindow::send (juce::Point<int> position, juce::ModifierKeys modifiers)
{
    auto* peer = component.getPeer();
    jassert (peer != nullptr);

    // JUCE reads the keyboard's modifiers from this global, the mouse buttons from the event.
    juce::ModifierKeys::currentModifiers = modifiers.withoutMouseButtons();

    // Far apart in time, so that two presses never make a double click unless asked to.
    time += 1000;
    peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse,
                            position.toFloat(),
                            modifiers,
                            juce::MouseInputSource::defaultPressure,
                            juce::MouseInputSource::defaultOrientation,
                            time);
}

void DesktopWindow::press (juce::Point<int> position, juce::ModifierKeys modifiers)
{
    send (position, {});
    send (position, modifiers.withFlags (juce::ModifierKeys::leftButtonModifier));
}

void DesktopWindow::drag (juce::Point<int> position, juce::ModifierKeys modifiers)
{
    send (position, modifiers.withFlags (juce::ModifierKeys::leftButtonModifier));
}

void DesktopWindow::release (juce::Point<int> position, juce::ModifierKeys modifiers)
{
    send (position, modifiers.withoutMouseButtons());
}

void DesktopWindow::wheel (juce::Point<int> position, float deltaY, bool isReversed)
{
    send (position, {});

    juce::MouseWheelDetails details {};
    details.deltaY = deltaY;
    details.isReversed = isReversed;
    time += 1000;
    component.getPeer()->handleMouseWheel (juce::MouseInputSource::InputSourceType::mouse, position.toFloat(), time, details);
}

void DesktopWindow::doubleClick (juce::Point<int> position)
{
    send (position, {});

    for (int click = 0; click < 2; ++click)
    {
        time += 50;
        component.getPeer()->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, position.toFloat(),
                                               juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier),
                                               juce::MouseInputSource::defaultPressure,
                                               juce::MouseInputSource::defaultOrientation, time);
        time += 50;
        component.getPeer()->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, position.toFloat(), {},
                                               juce::MouseInputSource::defaultPressure,
                                               juce::MouseInputSource::defaultOrientation, time);
    }
}

bool DesktopWindow::focus (juce::Component& target)
{
    return pumpMessagesUntil ([&] {
        if (! target.hasKeyboardFocus (false))
            target.grabKeyboardFocus();

        return target.hasKeyboardFocus (false);
    });
}

void DesktopWindow::pressKey (const juce::KeyPress& key)
{
    component.getPeer()->handleKeyPress (key);
}

juce::Image DesktopWindow::snapshot() const
{
    return component.createComponentSnapshot (component.getLocalBounds(), true, 1.0f);
}

ParameterRecorder::ParameterRecorder (juce::AudioProcessorParameter& parameterToWatch)
    : parameter (parameterToWatch)
{
    parameter.addListener (this);
}

ParameterRecorder::~ParameterRecorder()
{
    parameter.removeListener (this);
}

void ParameterRecorder::parameterValueChanged (int, float newValue)
{
    values.push_back (newValue);

    if (gestureBegins == gestureEnds)
        ++valuesOutsideAGesture;
}

void ParameterRecorder::parameterGestureChanged (int, bool gestureIsStarting)
{
    ++(gestureIsStarting ? gestureBegins : gestureEnds);
}

testing::AssertionResult sawEditsInOwnGestures (const ParameterRecorder& host, const std::vector<float>& expected)
{
    const auto count = (int) expected.size();
    auto same = host.values.size() == expected.size() && host.gestureBegins == count && host.gestureEnds == count
             && host.valuesOutsideAGesture == 0;

    for (size_t i = 0; same && i < expected.size(); ++i)
        same = std::abs (host.values[i] - expected[i]) < 1.0e-5f;

    if (same)
        return testing::AssertionSuccess();

    auto failure = testing::AssertionFailure() << "the host saw {";

    for (auto value : host.values)
        failure << " " << value;

    failure << " } in " << host.gestureBegins << " begins and " << host.gestureEnds << " ends, "
            << host.valuesOutsideAGesture << " outside a gesture; expected {";

    for (auto value : expected)
        failure << " " << value;

    return failure << " }, one gesture each";
}

bool samePixels (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return false;

    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y).getARGB() != b.getPixelAt (x, y).getARGB())
                return false;

    return true;
}
} // namespace corvane::test
