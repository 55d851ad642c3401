#include "editor/ZemSlider.h"
#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"

#include "support/DesktopWindow.h"

#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <thread>

using namespace corvane;

namespace
{

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

/** Each value the host saw, each in a gesture of its own. */
void expectEdits (const test::ParameterRecorder& recorder, const std::vector<float>& expected, const char* what)
{
    ASSERT_EQ (recorder.values.size(), expected.size()) << what;
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR (recorder.values[i], expected[i], 1.0e-5f) << what << ", value " << i;
    EXPECT_EQ (recorder.gestureBegins, (int) expected.size()) << what;
    EXPECT_EQ (recorder.gestureEnds, (int) expected.size()) << what;
    EXPECT_EQ (recorder.valuesOutsideAGesture, 0) << what;
}

/** The slider at its design size, 124 x 566: the thumb is drawn 1:1, its centre runs from y = 74 (value 1)
    to y = 492 (value 0), and presses count from x = 38 to x = 86. */
class ZemSliderTest : public testing::Test
{
protected:
    ZemSliderTest()
    {
        slider.setBounds (0, 0, 124, 566);
        slider.setThumbSize (48);
        window = std::make_unique<test::DesktopWindow> (slider);
    }

    AudioPluginAudioProcessor processor;
    juce::RangedAudioParameter& parameter { *processor.getApvtsManager().getApvts().getParameter (masterGainParameterID) };
    ZemSlider slider { processor.getApvtsManager().getApvts(), masterGainParameterID };
    std::unique_ptr<test::DesktopWindow> window;
};
} // namespace

TEST_F (ZemSliderTest, PressesAndDragsSetTheValueUnderThePointerOneGestureEach)
{
    const auto ctrl = juce::ModifierKeys (juce::ModifierKeys::ctrlModifier);

    struct Case
    {
        const char* what;
        juce::Point<int> press;
        juce::ModifierKeys modifiers;
        std::vector<juce::Point<int>> drags;
        std::vector<float> expected;
    };

    const Case cases[] = {
        { "above the travel", { 62, 0 }, {}, {}, { 1.0f } },
        { "top of the travel", { 62, 74 }, {}, {}, { 1.0f } },
        { "bottom of the travel", { 62, 492 }, {}, {}, { 0.0f } },
        { "below the travel", { 62, 565 }, {}, {}, { 0.0f } },
        { "left edge of the band", { 38, 283 }, {}, {}, { 0.5f } },
        { "right edge of the band", { 86, 283 }, {}, {}, { 0.5f } },
        { "left of the band, drag too", { 37, 283 }, {}, { { 37, 492 } }, {} },
        { "right of the band, drag too", { 87, 283 }, {}, { { 87, 0 } }, {} },
        { "sideways, down, back to the press height", { 62, 283 }, {}, { { 80, 283 }, { 62, 492 }, { 40, 283 } }, { 0.5f, 0.0f } },
        // The default is 0.8; the thumb then follows the pointer: 209 pixels down is half the range.
        { "Ctrl-press, then drags", { 62, 200 }, ctrl, { { 62, 200 }, { 62, 409 }, { 90, 200 } }, { 0.8f, 0.3f } },
    };

    for (const auto& c : cases)
    {
        parameter.setValueNotifyingHost (0.3f);
        test::ParameterRecorder recorder (parameter);

        window->press (c.press, c.modifiers);
        for (auto drag : c.drags)
            window->drag (drag);
        window->release (c.drags.empty() ? c.press : c.drags.back());

        expectEdits (recorder, c.expected, c.what);
    }
}

TEST_F (ZemSliderTest, TheWheelStepsByPointFifteenInsideTheBandAndClamps)
{
    struct Case
    {
        const char* what;
        float start;
        int x;
        float deltaY;
        bool isReversed;
        std::vector<float> expected;
    };

    const Case cases[] = {
        { "up", 0.5f, 62, 1.0f, false, { 0.65f } },
        { "reversed, at the band's edge", 0.5f, 38, 1.0f, true, { 0.35f } },
        { "up past the top", 0.95f, 86, 1.0f, false, { 1.0f } },
        { "down past the bottom", 0.1f, 62, -1.0f, false, { 0.0f } },
        { "at the top already", 1.0f, 62, 1.0f, false, { 1.0f } },
        { "outside the band", 0.5f, 87, 1.0f, false, {} },
    };

    for (const auto& c : cases)
    {
        parameter.setValueNotifyingHost (c.start);
        test::ParameterRecorder recorder (parameter);

        window->wheel ({ c.x, 300 }, c.deltaY, c.isReversed);

        expectEdits (recorder, c.expected, c.what);
    }
}

TEST_F (ZemSliderTest, NoTallerThanItsThumbItHasNoTravelAndDrawsTheThumbAtTheTop)
{
    parameter.setValueNotifyingHost (1.0f);
    const auto atTop = window->snapshot();

    for (int height : { 148, 100 })
    {
        slider.setSize (124, height);

        for (int y : { 0, height / 2, height - 1 })
        {
            parameter.setValueNotifyingHost (0.6f);
            window->press ({ 62, y });
            window->release ({ 62, y });
            EXPECT_EQ (parameter.getValue(), 0.0f) << "height " << height << ", y " << y;
        }

        EXPECT_TRUE (samePixels (window->snapshot(), atTop.getClippedImage ({ 124, height }))) << "height " << height;
    }
}

TEST_F (ZemSliderTest, HostAutomationFromAnotherThreadMovesTheThumbOnlyOnTheMessageThread)
{
    const auto before = window->snapshot();

    std::thread host ([this] { parameter.setValueNotifyingHost (0.0f); });
    host.join();
    EXPECT_TRUE (samePixels (window->snapshot(), before)) << "moved off the message thread";

    EXPECT_TRUE (test::pumpMessagesUntil ([&] { return ! samePixels (window->snapshot(), before); }));
}
