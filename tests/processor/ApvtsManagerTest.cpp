#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"

#include <gtest/gtest.h>

#include <typeinfo>

using namespace corvane;

namespace
{
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

TEST (MasterGainText, OneDecimalAndDecibels)
{
    EXPECT_EQ (masterGainValueToText (0.0f, 2), "0.0 dB");
    EXPECT_EQ (masterGainValueToText (-48.0f, 0), "-48.0 dB");
    EXPECT_EQ (masterGainValueToText (12.0f, 100), "12.0 dB");
    EXPECT_EQ (masterGainValueToText (-6.5f, 3), "-6.5 dB");
}

TEST_F (ApvtsManagerTest, NewInstanceReadsTheDefaults)
{
    EXPECT_EQ (manager.getValue (masterGainParameterID), 0.0f);
    EXPECT_FLOAT_EQ (manager.getNormalisedValue (masterGainParameterID), 0.8f);
    EXPECT_FLOAT_EQ (manager.getDefaultValue (masterGainParameterID), 0.8f);
    EXPECT_EQ (manager.getIntValue (masterGainParameterID), 0);
    EXPECT_EQ (manager.getText (masterGainParameterID), "0.0 dB");

    EXPECT_EQ (manager.getValue (zemOnParameterID), 1.0f);
    EXPECT_TRUE (manager.getBoolValue (zemOnParameterID));
    EXPECT_EQ (manager.getDefaultValue (zemOnParameterID), 1.0f);
    EXPECT_EQ (manager.getText (zemOnParameterID), "On");
}

TEST_F (ApvtsManagerTest, WritesClampIntoTheRangeAndNotifyTheHost)
{
    HostNotifications host;
    processor.addListener (&host);

    manager.setValue (masterGainParameterID, 20.0f);
    EXPECT_EQ (manager.getValue (masterGainParameterID), 12.0f);
    EXPECT_EQ (manager.getNormalisedValue (masterGainParameterID), 1.0f);

    manager.setValue (masterGainParameterID, -60.0f);
    EXPECT_EQ (manager.getValue (masterGainParameterID), -48.0f);
    EXPECT_EQ (manager.getText (masterGainParameterID), "-48.0 dB");

    manager.setNormalisedValue (masterGainParameterID, 0.5f);
    EXPECT_FLOAT_EQ (manager.getValue (masterGainParameterID), -18.0f);
    EXPECT_EQ (manager.getIntValue (masterGainParameterID), -18);

    manager.setBoolValue (zemOnParameterID, false);
    EXPECT_FALSE (manager.getBoolValue (zemOnParameterID));
    EXPECT_EQ (manager.getValue (zemOnParameterID), 0.0f);
    EXPECT_EQ (manager.getText (zemOnParameterID), "Off");

    EXPECT_EQ (host.parameterChanges, 4);
    processor.removeListener (&host);
}

TEST_F (ApvtsManagerTest, UnknownIdsAreIgnoredByWritesAndGestures)
{
    HostNotifications host;
    processor.addListener (&host);

    for (const juce::String id : { "", "Master", "master gain", "Bypass" })
    {
        EXPECT_NO_THROW (manager.setValue (id, 3.0f));
        EXPECT_NO_THROW (manager.setIntValue (id, 3));
        EXPECT_NO_THROW (manager.setNormalisedValue (id, 0.1f));
        EXPECT_NO_THROW (manager.setBoolValue (id, false));
        EXPECT_NO_THROW (manager.beginChangeGesture (id));
        EXPECT_NO_THROW (manager.endChangeGesture (id));
    }

    EXPECT_EQ (host.parameterChanges, 0);
    EXPECT_EQ (manager.getValue (masterGainParameterID), 0.0f);
    EXPECT_TRUE (manager.getBoolValue (zemOnParameterID));
    processor.removeListener (&host);
}

TEST_F (ApvtsManagerTest, IntegerWritesToNonIntegerParametersRaiseBadCast)
{
    EXPECT_THROW (manager.setIntValue (masterGainParameterID, 3), std::bad_cast);
    EXPECT_THROW (manager.setIntValue (zemOnParameterID, 0), std::bad_cast);
    EXPECT_EQ (manager.getValue (masterGainParameterID), 0.0f);
    EXPECT_TRUE (manager.getBoolValue (zemOnParameterID));
}

TEST_F (ApvtsManagerTest, LayoutListsZemOnThenMasterGainInTheGlobalGroup)
{
    const auto& parameters = processor.getParameters();
    ASSERT_EQ (parameters.size(), 2);

    auto* zemOn = dynamic_cast<juce::AudioParameterBool*> (parameters[0]);
    auto* gain = dynamic_cast<juce::AudioParameterFloat*> (parameters[1]);
    ASSERT_NE (zemOn, nullptr);
    ASSERT_NE (gain, nullptr);
    EXPECT_EQ (zemOn->getParameterID(), "ZEM On");
    EXPECT_EQ (zemOn->getName (100), "ZEM On");
    EXPECT_EQ (gain->getParameterID(), "Master Gain");
    EXPECT_EQ (gain->range.start, -48.0f);
    EXPECT_EQ (gain->range.end, 12.0f);
    EXPECT_EQ (gain->range.skew, 1.0f);
    EXPECT_EQ (gain->getCategory(), juce::AudioProcessorParameter::genericParameter);
    EXPECT_EQ (gain->getLabel(), "");
    EXPECT_EQ (static_cast<juce::AudioProcessorParameter*> (gain)->getText (gain->convertTo0to1 (-6.5f), 0), "-6.5 dB");

    const auto& groups = processor.getParameterTree().getSubgroups (false);
    ASSERT_EQ (groups.size(), 1);
    EXPECT_EQ (groups[0]->getID(), "Group");
    EXPECT_EQ (groups[0]->getName(), "Global");
    EXPECT_EQ (manager.getApvts().state.getType().toString(), "Parameters");
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
