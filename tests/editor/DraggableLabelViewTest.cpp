#include "editor/DraggableLabelView.h"
#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"

#include "support/DesktopWindow.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <thread>

using namespace corvane;

namespace
{
/** "Master Gain" (-48 to +12 dB, default 0 dB, normalised 0.8) shown at the value label's design size. */
class DraggableLabelViewTest : public testing::Test
{
protected:
    DraggableLabelViewTest()
    {
        view.setBounds (0, 0, 180, 38);
        window = std::make_unique<test::DesktopWindow> (view);
    }

    juce::String text() const { return view.label.getText(); }

    AudioPluginAudioProcessor processor;
    juce::RangedAudioParameter& parameter { *processor.getApvtsManager().getApvts().getParameter (masterGainParameterID) };
    DraggableLabelView view { processor.getApvtsManager().getApvts(), masterGainParameterID };
    std::unique_ptr<test::DesktopWindow> window;
};
} // namespace

TEST_F (DraggableLabelViewTest, DragsMeasureFromThePressValueOrTheDefaultOneGestureEach)
{
    const auto ctrl = juce::ModifierKeys (juce::ModifierKeys::ctrlModifier);

    struct Case
    {
        const char* what;
        float start;
        juce::ModifierKeys modifiers;
        std::vector<juce::Point<int>> drags; // pixels from the press, down positive
        std::vector<float> expected;
        const char* text;
    };

    const Case cases[] = {
        { "up past the top", 0.5f, {}, { { 0, -150 } }, { 1.0f }, "12.0 dB" },
        { "down past the bottom", 0.25f, {}, { { 0, 250 } }, { 0.0f }, "-48.0 dB" },
        { "200 pixels are the range, sideways counts nothing", 0.5f, {}, { { 30, -100 }, { -30, 50 } }, { 1.0f, 0.25f }, "-33.0 dB" },
        { "a Ctrl-press alone", 0.3f, ctrl, {}, {}, "-30.0 dB" },
        { "a Ctrl-press measures from the default", 0.3f, ctrl, { { 0, -20 } }, { 0.9f }, "6.0 dB" },
    };

    for (const auto& c : cases)
    {
        parameter.setValueNotifyingHost (c.start);
        test::ParameterRecorder host (parameter);

        const juce::Point<int> press { 90, 19 };
        window->press (press, c.modifiers);
        for (auto offset : c.drags)
            window->drag (press + offset);
        window->release (press);

        EXPECT_TRUE (test::sawEditsInOwnGestures (host, c.expected)) << c.what;
        EXPECT_EQ (text(), c.text) << c.what;
    }
}

TEST_F (DraggableLabelViewTest, TheWheelStepsAnywhereOverItAndADoubleClickChangesNothing)
{
    struct Case
    {
        juce::Point<int> at;
        bool isReversed;
        float expected;
    };

    for (const auto& c : { Case { { 2, 2 }, false, 1.0f }, Case { { 177, 35 }, true, 0.8f } })
    {
        parameter.setValueNotifyingHost (0.95f);
        test::ParameterRecorder host (parameter);
        window->wheel (c.at, 1.0f, c.isReversed);
        EXPECT_TRUE (test::sawEditsInOwnGestures (host, { c.expected })) << c.at.toString();
    }

    test::ParameterRecorder host (parameter);
    const auto shown = text();
    window->doubleClick ({ 90, 19 });
    EXPECT_TRUE (host.values.empty());
    EXPECT_EQ (text(), shown);
    EXPECT_FALSE (view.label.isBeingEdited());
}

TEST_F (DraggableLabelViewTest, HostAutomationFromAnotherThreadChangesTheTextOnlyOnTheMessageThread)
{
    std::thread host ([this] { parameter.setValueNotifyingHost (0.5f); });
    host.join();
    EXPECT_EQ (text(), "0.0 dB") << "changed off the message thread";
    EXPECT_TRUE (test::pumpMessagesUntil ([this] { return text() == "-18.0 dB"; }));
}
