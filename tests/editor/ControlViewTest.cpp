#include "editor/ControlView.h"
#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"

#include "support/DesktopWindow.h"
#include "support/TestSignals.h"
#include <BinaryData.h>

#include <gtest/gtest.h>

#include <functional>
#include <thread>

using namespace corvane;

namespace
{
// Inside each button of a bar at its smallest size, 377 x 62.
const juce::Point<int> zemOnSwitch { 95, 31 }, skinSwitch { 241, 36 }, infoButton { 319, 35 }, helpButton { 349, 35 };

// The bar adds its children in a fixed order: ZEM caption and switch, Mode caption and switch, info, help.
constexpr int zemOnButton = 1, skinCaption = 2, skinButton = 3;

class ControlViewTest : public testing::Test
{
protected:
    ControlViewTest() { bar.setSize (377, 62); }

    juce::Image picture (int child) const
    {
        return dynamic_cast<juce::ImageButton&> (*bar.getChildComponent (child)).getNormalImage();
    }

    /** The bar and the cache share one decoded copy of each embedded picture. */
    static juce::Image embedded (const char* resourceName)
    {
        int size = 0;
        const auto* data = BinaryData::getNamedResource (resourceName, size);
        return juce::ImageCache::getFromMemory (data, size);
    }

    AudioPluginAudioProcessor processor;
    juce::AudioProcessorValueTreeState& apvts = processor.getApvtsManager().getApvts();
    juce::RangedAudioParameter& zemOn = *apvts.getParameter (zemOnParameterID);
    ControlView bar { apvts, processor.getConfigState() };
};

struct ListenerLog : public ControlViewListener
{
    ListenerLog (juce::StringArray& log, const char* listenerName)
        : calls (log)
        , name (listenerName)
    {
    }

    void infoButtonClicked (ControlView*) override { calls.add (name + " info"); }
    void helpButtonClicked (ControlView*) override { calls.add (name + " help"); }

    juce::StringArray& calls;
    juce::String name;
};
} // namespace

TEST_F (ControlViewTest, APressFlipsZemOnInAGestureOfItsOwn)
{
    test::DesktopWindow window (bar);
    test::ParameterRecorder host (zemOn);

    window.press (zemOnSwitch);
    EXPECT_TRUE (test::sawEditsInOwnGestures (host, { 0.0f })) << "on the press, not the release";
    window.release (zemOnSwitch);
    window.press (zemOnSwitch);
    EXPECT_TRUE (test::sawEditsInOwnGestures (host, { 0.0f, 1.0f }));
}

TEST_F (ControlViewTest, EachSwitchShowsItsStateHoweverItChangedButOnlyOnTheMessageThread)
{
    juce::MemoryBlock darkState;
    {
        AudioPluginAudioProcessor source;
        source.getConfigState().setProperty (isDarkIdentifier, true, nullptr);
        source.getStateInformation (darkState);
    }

    test::DesktopWindow window (bar);
    auto& configState = processor.getConfigState();
    auto click = [&] (juce::Point<int> at) { return [&, at] { window.press (at); window.release (at); }; };
    auto automate = [&] (float value) {
        return [&, value] {
            const auto before = picture (zemOnButton);
            std::thread ([&] { zemOn.setValueNotifyingHost (value); }).join();
            EXPECT_EQ (picture (zemOnButton), before) << "swapped on the audio thread";
        };
    };

    struct Case
    {
        const char* name;
        std::function<void()> act;
        int button;
        const char* picture;
    };

    // Each automated value crosses the ZEM switch's 0.5 threshold.
    const Case cases[] = {
        { "ZEM On pressed", click (zemOnSwitch), zemOnButton, "ZemSwitchOff_png" },
        { "ZEM On pressed again", click (zemOnSwitch), zemOnButton, "ZemSwitchOn_png" },
        { "ZEM On automated to 0.49", automate (0.49f), zemOnButton, "ZemSwitchOff_png" },
        { "ZEM On automated to 0.5", automate (0.5f), zemOnButton, "ZemSwitchOn_png" },
        { "skin pressed from a missing property", [&] { configState.removeProperty (isDarkIdentifier, nullptr); click (skinSwitch)(); }, skinButton, "SkinSwitchDark_png" },
        { "skin pressed again", click (skinSwitch), skinButton, "SkinSwitchLight_png" },
        { "restored state", [&] { processor.setStateInformation (darkState.getData(), (int) darkState.getSize()); }, skinButton, "SkinSwitchDark_png" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        c.act();
        EXPECT_TRUE (test::pumpMessagesUntil ([&] { return picture (c.button) == embedded (c.picture); }));
    }
}

TEST_F (ControlViewTest, InfoAndHelpTellTheListenersOnTheReleaseFromTheLastAdded)
{
    test::DesktopWindow window (bar);
    juce::StringArray log;
    ListenerLog first (log, "first"), second (log, "second");

    bar.addListener (&first);
    bar.addListener (&second);

    window.press (infoButton);
    EXPECT_TRUE (log.isEmpty());
    window.release (infoButton);
    EXPECT_EQ (log, juce::StringArray ("second info", "first info"));

    bar.removeListener (&second);
    log.clear();
    window.press (helpButton);
    window.release (helpButton);
    EXPECT_EQ (log, juce::StringArray ("first help"));
}

TEST_F (ControlViewTest, OnlyTheWidthScalesTheLayout)
{
    // Twice as wide as the smallest bar but no taller: everything doubles.
    bar.setSize (754, 62);
    EXPECT_EQ (bar.getChildComponent (zemOnButton)->getBounds(), juce::Rectangle<int> (56, -2, 268, 130));
    EXPECT_EQ (bar.getChildComponent (skinButton)->getBounds(), juce::Rectangle<int> (361, -3, 243, 151));
    EXPECT_EQ (dynamic_cast<juce::Label&> (*bar.getChildComponent (skinCaption)).getFont().getHeight(), 30.0f);
}
