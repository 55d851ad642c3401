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
/** The slider at its design size, 124 x 566: the thumb is drawn 1:1, its centre runs from y = 74 (value 1)
    to y = 492 (value 0), and presses and wheel moves count from x = 38 to x = 86. */
class ZemSliderTest : public testing::Test
{
protected:
    ZemSliderTest()
    {
        // Drawn by its parent from a buffered image, so a thumb that moved without a repaint shows where it was.
        editor.setSize (124, 566);
        editor.addAndMakeVisible (slider);
        slider.setBounds (editor.getLocalBounds());
        slider.setBufferedToImage (true);
        slider.setThumbSize (48);
        window = std::make_unique<test::DesktopWindow> (editor);
    }

    juce::Component editor;
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
        { "below the travel", { 62, 565 }, {}, {}, { 0.0f } },
        { "left edge of the band", { 38, 283 }, {}, {}, { 0.5f } },
        { "left of the band, drag too", { 37, 283 }, {}, { { 37, 492 } }, {} },
        { "sideways, down, back to the press height", { 62, 283 }, {}, { { 80, 283 }, { 62, 492 }, { 40, 283 } }, { 0.5f, 0.0f } },
        // The default is 0.8; the thumb then follows the pointer: 209 pixels down is half the range.
        { "Ctrl-press, then drags", { 62, 200 }, ctrl, { { 62, 200 }, { 62, 409 }, { 90, 200 } }, { 0.8f, 0.3f } },
    };

    for (const auto& c : cases)
    {
        parameter.setValueNotifyingHost (0.3f);
        test::ParameterRecorder host (parameter);

        window->press (c.press, c.modifiers);
        for (auto drag : c.drags)
            window->drag (drag);
        window->release (c.drags.empty() ? c.press : c.drags.back());

        EXPECT_TRUE (test::sawEditsInOwnGestures (host, c.expected)) << c.what;
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
        { "outside the band", 0.5f, 87, 1.0f, false, {} },
    };

    for (const auto& c : cases)
    {
        parameter.setValueNotifyingHost (c.start);
        test::ParameterRecorder host (parameter);

        window->wheel ({ c.x, 300 }, c.deltaY, c.isReversed);

        EXPECT_TRUE (test::sawEditsInOwnGestures (host, c.expected)) << c.what;
    }
}

TEST_F (ZemSliderTest, HostAutomationFromAnotherThreadMovesTheThumbOnlyOnTheMessageThread)
{
    // The thumb starts at the default, 0.8, in the upper half; 0 puts its centre at y = 492.
    auto thumbAtTheBottom = [this] { return window->snapshot().getPixelAt (62, 492).getAlpha() > 0; };
    ASSERT_FALSE (thumbAtTheBottom());

    std::thread host ([this] { parameter.setValueNotifyingHost (0.0f); });
    host.join();
    EXPECT_FALSE (thumbAtTheBottom()) << "moved off the message thread";

    EXPECT_TRUE (test::pumpMessagesUntil (thumbAtTheBottom));
}
