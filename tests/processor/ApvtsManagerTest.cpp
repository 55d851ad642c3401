#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"

#include <gtest/gtest.h>

#include <functional>

using namespace corvane;

namespace
{
/** The layout, defaults and texts as a host sees them are checked by loading the bundle (Vst3HostTest). */
class ApvtsManagerTest : public testing::Test
{
protected:
    AudioPluginAudioProcessor processor;
    ApvtsManager& manager = processor.getApvtsManager();
};

/** Counts the host notifications that a write sends. */
struct HostNotifications : juce::AudioProcessorListener
{
    int parameterChanges = 0;
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override { ++parameterChanges; }
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
};
} // namespace

TEST_F (ApvtsManagerTest, WritesAndReadsAreInTheParametersOwnUnitsClampedAndTellTheHost)
{
    struct Case
    {
        std::function<void()> write;
        float gainDb;
        const char* gainText;
        bool zemOn;
    };

    const Case cases[] = {
        { [] {}, 0.0f, "0.0 dB", true },
        { [&] { manager.setValue (masterGainParameterID, 20.0f); }, 12.0f, "12.0 dB", true },
        { [&] { manager.setValue (masterGainParameterID, -60.0f); }, -48.0f, "-48.0 dB", true },
        { [&] { manager.setValue (masterGainParameterID, -6.54f); }, -6.54f, "-6.5 dB", true },
        { [&] { manager.setNormalisedValue (masterGainParameterID, 0.5f); }, -18.0f, "-18.0 dB", true },
        { [&] { manager.setBoolValue (zemOnParameterID, false); }, -18.0f, "-18.0 dB", false },
    };

    HostNotifications host;
    processor.addListener (&host);

    for (const auto& c : cases)
    {
        c.write();
        EXPECT_NEAR (manager.getValue (masterGainParameterID), c.gainDb, 1.0e-4f) << c.gainText;
        EXPECT_EQ (manager.getText (masterGainParameterID), c.gainText);
        EXPECT_EQ (manager.getBoolValue (zemOnParameterID), c.zemOn) << c.gainText;
        EXPECT_EQ (manager.getText (zemOnParameterID), c.zemOn ? "On" : "Off");
        EXPECT_EQ (host.parameterChanges, static_cast<int> (&c - cases)) << "one notification per write";
    }

    processor.removeListener (&host);
}

TEST_F (ApvtsManagerTest, UnknownIdsAreIgnoredByWritesAndGestures)
{
    HostNotifications host;
    processor.addListener (&host);

    for (const juce::String id : { "", "Master", "master gain", "Bypass" })
    {
        manager.setValue (id, 3.0f);
        manager.setIntValue (id, 3);
        manager.setNormalisedValue (id, 0.1f);
        manager.setBoolValue (id, false);
        manager.beginChangeGesture (id);
        manager.endChangeGesture (id);
    }

    EXPECT_EQ (host.parameterChanges, 0);
    EXPECT_EQ (manager.getValue (masterGainParameterID), 0.0f);
    EXPECT_TRUE (manager.getBoolValue (zemOnParameterID));
    processor.removeListener (&host);
}

TEST_F (ApvtsManagerTest, ListenersHearChangesMadeThroughTheManager)
{
    struct Recorder : juce::AudioProcessorValueTreeState::Listener
    {
        juce::StringArray heard;
        void parameterChanged (const juce::String& id, float) override { heard.add (id); }
    } recorder;

    manager.addParameterListener (masterGainParameterID, &recorder);
    manager.setValue (masterGainParameterID, -3.0f);
    manager.setBoolValue (zemOnParameterID, false);
    manager.removeParameterListener (masterGainParameterID, &recorder);
    manager.setValue (masterGainParameterID, -4.0f);

    EXPECT_EQ (recorder.heard, juce::StringArray ("Master Gain"));
}
