#include "editor/ControlView.h"
#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"

#include "support/DesktopWindow.h"
#include <BinaryData.h>

#include <gtest/gtest.h>

#include <functional>
#include <thread>

using namespace corvane;

namespace
{
/** Pumps the message loop until done() holds; only a real failure takes the 30 s. */
bool pumpUntil (const std::function<bool()>& done)
{
    for (const auto deadline = juce::Time::getMillisecondCounter() + 30000; ! done() && juce::Time::getMillisecondCounter() < deadline;)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (1);

    return done();
}

// Inside each button of a bar at its smallest size, 377 x 62.
const juce::Point<int> zemOnSwitch { 95, 31 }, skinSwitch { 241, 36 }, infoButton { 319, 35 }, helpButton { 349, 35 };

// The bar adds its children in a fixed order: ZEM caption and switch, Mode caption and switch, info, help.
constexpr int zemOnButton = 1, skinCaption = 2, skinButton = 3;

class ControlViewTest : public testing::Test
{
protected:
    ControlViewTest() { bar.setSize (377, 62); }

    /** The embedded picture that a switch shows; the bar and the cache share one decoded copy of each. */
    const void* shownPicture (int child) const
    {
        const auto shown = dynamic_cast<juce::ImageButton&> (*bar.getChildComponent (child)).getNormalImage();

        for (auto [data, size] : { std::pair { BinaryData::ZemSwitchOn_png, BinaryData::ZemSwitchOn_pngSize },
                                   std::pair { BinaryData::ZemSwitchOff_png, BinaryData::ZemSwitchOff_pngSize },
                                   std::pair { BinaryData::SkinSwitchLight_png, BinaryData::SkinSwitchLight_pngSize },
                                   std::pair { BinaryData::SkinSwitchDark_png, BinaryData::SkinSwitchDark_pngSize } })
            if (shown == juce::ImageCache::getFromMemory (data, size))
                return data;

        return nullptr;
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

TEST_F (ControlViewTest, APressFlipsZemOnAsOneEditInsideOneGestureAndTheSwitchFollows)
{
    test::DesktopWindow window (bar);
    test::ParameterRecorder host (zemOn);
    ASSERT_EQ (shownPicture (zemOnButton), BinaryData::ZemSwitchOn_png);

    window.press (zemOnSwitch);
    EXPECT_EQ (host.values, std::vector<float> { 0.0f }) << "on the press, not the release";
    EXPECT_EQ (host.gestureBegins, 1);
    EXPECT_EQ (host.gestureEnds, 1);
    EXPECT_EQ (host.valuesOutsideAGesture, 0);
    EXPECT_EQ (shownPicture (zemOnButton), BinaryData::ZemSwitchOff_png);

    window.release (zemOnSwitch);
    window.press (zemOnSwitch);
    EXPECT_EQ (host.values, (std::vector<float> { 0.0f, 1.0f }));
    EXPECT_EQ (shownPicture (zemOnButton), BinaryData::ZemSwitchOn_png);
}

TEST_F (ControlViewTest, HostAutomationFromAnotherThreadSwapsTheSwitchOnlyOnTheMessageThread)
{
    // Each value crosses the switch's 0.5 threshold, so each must change the picture.
    struct Case
    {
        float value;
        bool on;
    };

    for (const auto c : { Case { 0.0f, false }, Case { 0.5f, true }, Case { 0.49f, false }, Case { 1.0f, true } })
    {
        SCOPED_TRACE (c.value);
        std::thread audio ([&] { zemOn.setValueNotifyingHost (c.value); });
        audio.join();
        const auto* expected = c.on ? BinaryData::ZemSwitchOn_png : BinaryData::ZemSwitchOff_png;
        EXPECT_NE (shownPicture (zemOnButton), expected) << "swapped on the audio thread";
        EXPECT_TRUE (pumpUntil ([&] { return shownPicture (zemOnButton) == expected; }));
    }
}

TEST_F (ControlViewTest, TheSkinSwitchFollowsIsDarkOfItsOwnTreeFromThePressAndFromARestoredState)
{
    juce::MemoryBlock darkState;
    {
        AudioPluginAudioProcessor source;
        source.getConfigState().setProperty (isDarkIdentifier, true, nullptr);
        source.getStateInformation (darkState);
    }

    test::DesktopWindow window (bar);
    auto& configState = processor.getConfigState();
    auto child = configState.getOrCreateChildWithName ("Child", nullptr);

    struct Case
    {
        const char* name;
        std::function<void()> act;
        bool dark;
    };

    const Case cases[] = {
        { "press from a missing property", [&] { configState.removeProperty (isDarkIdentifier, nullptr); window.press (skinSwitch); }, true },
        { "press again", [&] { window.release (skinSwitch); window.press (skinSwitch); }, false },
        { "isDark of a child tree", [&] { child.setProperty (isDarkIdentifier, true, nullptr); }, false },
        { "restored state", [&] { processor.setStateInformation (darkState.getData(), (int) darkState.getSize()); }, true },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        c.act();
        EXPECT_TRUE (pumpUntil ([&] { return static_cast<bool> (configState[isDarkIdentifier]) == c.dark; }));
        EXPECT_EQ (shownPicture (skinButton), c.dark ? BinaryData::SkinSwitchDark_png : BinaryData::SkinSwitchLight_png);
    }
}

TEST_F (ControlViewTest, InfoAndHelpTellTheListenersOnTheReleaseFromTheLastAdded)
{
    test::DesktopWindow window (bar);
    juce::StringArray log;
    ListenerLog first (log, "first"), second (log, "second");

    bar.addListener (&first);
    bar.addListener (&second);
    bar.addListener (&first);
    bar.addListener (nullptr);

    window.press (infoButton);
    EXPECT_TRUE (log.isEmpty());
    window.release (infoButton);
    EXPECT_EQ (log, juce::StringArray ("second info", "first info"));

    bar.removeListener (&second);
    bar.removeListener (&second);
    log.clear();
    window.press (helpButton);
    window.release (helpButton);
    EXPECT_EQ (log, juce::StringArray ("first help"));
}

TEST_F (ControlViewTest, OnlyTheWidthScalesTheLayout)
{
    struct Case
    {
        int width, height;
        juce::Rectangle<int> zemOnSwitch, skinSwitch;
        float captionHeight;
    };

    const Case cases[] = {
        { 377, 62, { 28, -1, 134, 65 }, { 180, -2, 121, 75 }, 15.0f },
        { 754, 124, { 56, -2, 268, 130 }, { 361, -3, 243, 151 }, 30.0f },
        { 754, 62, { 56, -2, 268, 130 }, { 361, -3, 243, 151 }, 30.0f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.width) + " x " + juce::String (c.height));
        bar.setSize (c.width, c.height);
        EXPECT_EQ (bar.getChildComponent (zemOnButton)->getBounds(), c.zemOnSwitch);
        EXPECT_EQ (bar.getChildComponent (skinButton)->getBounds(), c.skinSwitch);
        EXPECT_EQ (dynamic_cast<juce::Label&> (*bar.getChildComponent (skinCaption)).getFont().getHeight(), c.captionHeight);
    }
}
