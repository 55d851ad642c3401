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
    EXPECT_EQ (text(), "0.0 dB") << "the text shows from the start";

    const auto ctrl = juce::ModifierKeys (juce::ModifierKeys::ctrlModifier);

    struct Case
    {
        float start;
        juce::ModifierKeys modifiers;
        std::vector<int> dragOffsets; // pixels from the press, down positive
        std::vector<float> expected;
        const char* text;
    };

    const Case cases[] = {
        { 0.5f, {}, { -100 }, { 1.0f }, "12.0 dB" },
        { 0.9f, {}, { -300 }, { 1.0f }, "12.0 dB" },
        { 0.25f, {}, { 250 }, { 0.0f }, "-48.0 dB" },
        { 0.5f, {}, { -100, 50, 0 }, { 1.0f, 0.25f, 0.5f }, "-18.0 dB" },
        { 0.3f, {}, { 0 }, { 0.3f }, "-30.0 dB" },
        { 0.3f, ctrl, {}, {}, "-30.0 dB" },
        { 0.3f, ctrl, { 0, -40 }, { 0.8f, 1.0f }, "12.0 dB" },
    };

    for (const auto& c : cases)
    {
        parameter.setValueNotifyingHost (c.start);
        test::ParameterRecorder recorder (parameter);

        const juce::Point<int> press { 90, 19 };
        window->press (press, c.modifiers);
        for (auto offset : c.dragOffsets)
            window->drag (press + juce::Point<int> (offset == 0 ? 30 : 0, offset));
        window->release (press);

        ASSERT_EQ (recorder.values.size(), c.expected.size()) << "from " << c.start;
        for (size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_NEAR (recorder.values[i], c.expected[i], 1.0e-5f) << "from " << c.start << ", value " << i;
        EXPECT_EQ (recorder.gestureBegins, (int) c.expected.size());
        EXPECT_EQ (recorder.gestureEnds, (int) c.expected.size());
        EXPECT_EQ (recorder.valuesOutsideAGesture, 0);
        EXPECT_EQ (text(), c.text);
    }
}

TEST_F (DraggableLabelViewTest, TheWheelStepsAnywhereOverItAndAReleaseOrDoubleClickChangesNothing)
{
    struct Case
    {
        juce::Point<int> at;
        float deltaY;
        bool isReversed;
        float expected;
    };

    for (const auto& c : { Case { { 2, 2 }, 1.0f, false, 1.0f }, Case { { 177, 35 }, 1.0f, true, 0.8f } })
    {
        parameter.setValueNotifyingHost (0.95f);
        test::ParameterRecorder recorder (parameter);

        window->wheel (c.at, c.deltaY, c.isReversed);

        ASSERT_EQ (recorder.values.size(), 1u);
        EXPECT_NEAR (recorder.values[0], c.expected, 1.0e-5f);
        EXPECT_EQ (recorder.gestureBegins, 1);
        EXPECT_EQ (recorder.gestureEnds, 1);
    }

    test::ParameterRecorder recorder (parameter);
    const auto shown = text();
    window->doubleClick ({ 90, 19 });
    EXPECT_TRUE (recorder.values.empty());
    EXPECT_EQ (text(), shown);
    EXPECT_FALSE (view.label.isBeingEdited());
}

TEST_F (DraggableLabelViewTest, OnlyItsOwnParameterChangesTheTextAndOnlyOnTheMessageThread)
{
    // Changed without telling anyone, so only the notifications below can bring the new text.
    static_cast<juce::AudioProcessorParameter&> (parameter).setValue (0.25f);
    view.parameterChanged (zemOnParameterID, 1.0f);
    EXPECT_EQ (text(), "0.0 dB");
    view.parameterChanged (masterGainParameterID, 0.25f);
    EXPECT_EQ (text(), "-33.0 dB");

    std::thread host ([this] { parameter.setValueNotifyingHost (0.5f); });
    host.join();
    EXPECT_EQ (text(), "-33.0 dB") << "changed off the message thread";
    EXPECT_TRUE (test::pumpMessagesUntil ([this] { return text() == "-18.0 dB"; }));
}
