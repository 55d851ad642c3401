#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <thread>

using namespace corvane;

namespace
{
const juce::String versionMessage = "Plugin versions are diffrent between program and stored setting.\n";

class PluginStateTest : public testing::Test
{
protected:
    static juce::MemoryBlock save (AudioPluginAudioProcessor& processor)
    {
        juce::MemoryBlock block;
        processor.getStateInformation (block);
        return block;
    }

    /** Hands the bytes over as a host would and lets the message thread run the deferred restore. Returns what
        the restore wrote to the debug output. */
    static std::string load (AudioPluginAudioProcessor& processor, const juce::MemoryBlock& block)
    {
        testing::internal::CaptureStderr();
        processor.setStateInformation (block.getData(), static_cast<int> (block.getSize()));
        test::pumpMessages (50);
        return testing::internal::GetCapturedStderr();
    }

    static std::unique_ptr<juce::XmlElement> parse (const juce::MemoryBlock& block)
    {
        return juce::AudioProcessor::getXmlFromBinary (block.getData(), static_cast<int> (block.getSize()));
    }

    static juce::MemoryBlock toBlob (const juce::XmlElement& state)
    {
        juce::MemoryBlock block;
        juce::AudioProcessor::copyXmlToBinary (state, block);
        return block;
    }

    /** A saved state from a processor with Master Gain at -12 dB, ZEM off and the dark skin. */
    juce::MemoryBlock savedCustomState()
    {
        AudioPluginAudioProcessor source;
        source.getApvtsManager().setValue (masterGainParameterID, -12.0f);
        source.getApvtsManager().setBoolValue (zemOnParameterID, false);
        source.getConfigState().setProperty (isDarkIdentifier, true, nullptr);
        return save (source);
    }

    static bool isDark (AudioPluginAudioProcessor& processor)
    {
        return static_cast<bool> (processor.getConfigState().getProperty (isDarkIdentifier, false));
    }

    AudioPluginAudioProcessor target;
};
} // namespace

TEST_F (PluginStateTest, WritesThePluginStateElementWithBothTreesAsDocuments)
{
    const auto block = save (target);
    ASSERT_GE (block.getSize(), 9u);
    EXPECT_EQ (std::memcmp (block.getData(), "VC2!", 4), 0);

    const auto state = parse (block);
    ASSERT_NE (state, nullptr);
    EXPECT_EQ (state->getTagName(), "PluginState");
    ASSERT_EQ (state->getNumAttributes(), 3);
    EXPECT_EQ (state->getAttributeName (0), "Corvane_ZEM2_Version");
    EXPECT_EQ (state->getAttributeValue (0), "2.1.1");
    EXPECT_EQ (state->getAttributeName (1), "ConfigState");
    EXPECT_EQ (state->getAttributeName (2), "ProcessorState");

    const auto config = state->getStringAttribute ("ConfigState");
    EXPECT_TRUE (config.startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<ConfigState isDark=\"0\"/>"));
    EXPECT_TRUE (state->getStringAttribute ("ProcessorState").contains ("<Parameters>"));
}

TEST_F (PluginStateTest, RoundTripThroughANewInstanceRestoresEverythingQuietly)
{
    const auto output = load (target, savedCustomState());

    EXPECT_EQ (output, "");
    EXPECT_FLOAT_EQ (target.getApvtsManager().getValue (masterGainParameterID), -12.0f);
    EXPECT_FALSE (target.getApvtsManager().getBoolValue (zemOnParameterID));
    EXPECT_TRUE (isDark (target));
    EXPECT_EQ (target.getConfigState()[isDarkIdentifier].toString(), "1");

    // And what it saves now carries the restored skin.
    EXPECT_TRUE (parse (save (target))->getStringAttribute ("ConfigState").contains ("isDark=\"1\""));
}

TEST_F (PluginStateTest, AnotherVersionWritesTheMessageOnceAndStillRestores)
{
    auto state = parse (savedCustomState());
    state->setAttribute ("Corvane_ZEM2_Version", "2.0.9");

    EXPECT_EQ (load (target, toBlob (*state)), versionMessage.toStdString() + "\n");
    EXPECT_FLOAT_EQ (target.getApvtsManager().getValue (masterGainParameterID), -12.0f);
    EXPECT_TRUE (isDark (target));
}

TEST_F (PluginStateTest, MissingOrBrokenPartsLeaveThatPartUnchanged)
{
    target.getConfigState().setProperty (isDarkIdentifier, true, nullptr);
    target.getApvtsManager().setValue (masterGainParameterID, 3.0f);

    const auto saved = parse (savedCustomState());

    auto withoutConfig = *saved;
    withoutConfig.removeAttribute ("ConfigState");
    withoutConfig.setAttribute ("ProcessorState", "<not xml");
    load (target, toBlob (withoutConfig));
    EXPECT_TRUE (isDark (target));
    EXPECT_FLOAT_EQ (target.getApvtsManager().getValue (masterGainParameterID), 3.0f);

    auto withoutProcessor = *saved;
    withoutProcessor.removeAttribute ("ProcessorState");
    withoutProcessor.setAttribute ("ConfigState", "<ConfigState/>");
    withoutProcessor.removeAttribute ("Corvane_ZEM2_Version");
    EXPECT_EQ (load (target, toBlob (withoutProcessor)), "");

    // A stored ConfigState without "isDark" removes the property, which then reads as the light skin.
    EXPECT_FALSE (target.getConfigState().hasProperty (isDarkIdentifier));
    EXPECT_FALSE (isDark (target));
    EXPECT_FLOAT_EQ (target.getApvtsManager().getValue (masterGainParameterID), 3.0f);
}

TEST_F (PluginStateTest, ALoadOnTheHostsThreadAppliesAtOnceAndTheSkinFollowsOnTheMessageThread)
{
    const auto custom = savedCustomState();
    juce::MemoryBlock savedAtOnce;

    // Hosts load projects from threads of their own, and may save or render straight after.
    std::thread host ([&]
    {
        target.setStateInformation (custom.getData(), static_cast<int> (custom.getSize()));
        savedAtOnce = save (target);
    });
    host.join();

    EXPECT_EQ (savedAtOnce, custom);
    EXPECT_FALSE (target.getApvtsManager().getBoolValue (zemOnParameterID));
    EXPECT_FALSE (isDark (target)) << "the views' tree changes on the message thread";

    for (const auto deadline = juce::Time::getMillisecondCounter() + 30000;
         ! isDark (target) && juce::Time::getMillisecondCounter() < deadline;)
        test::pumpMessages (1);

    EXPECT_TRUE (isDark (target));
    EXPECT_EQ (save (target), custom);
}

TEST_F (PluginStateTest, ASkinChangeQueuedByADestroyedProcessorDoesNothing)
{
    const auto custom = savedCustomState();
    {
        AudioPluginAudioProcessor doomed;
        std::thread host ([&] { doomed.setStateInformation (custom.getData(), static_cast<int> (custom.getSize())); });
        host.join();
    }

    EXPECT_NO_FATAL_FAILURE (test::pumpMessages (50));
    EXPECT_FALSE (isDark (target));
}

TEST_F (PluginStateTest, ShortOrUnmarkedBytesRestoreNothing)
{
    const auto custom = savedCustomState();
    const auto defaults = save (target);

    load (target, juce::MemoryBlock (custom.getData(), 8));
    auto unmarked = custom;
    static_cast<char*> (unmarked.getData())[0] = 'X';
    load (target, unmarked);
    load (target, juce::MemoryBlock());
    target.setStateInformation (nullptr, 0);
    test::pumpMessages (20);

    EXPECT_EQ (save (target), defaults);
}

TEST_F (PluginStateTest, ValuesThatAreNotNumbersLeaveTheParametersInRange)
{
    auto state = parse (save (target));
    auto parameters = state->getStringAttribute ("ProcessorState")
                          .replace ("value=\"0.0\"", "value=\"nan\"")
                          .replace ("value=\"1.0\"", "value=\"1e300\"");
    state->setAttribute ("ProcessorState", parameters);

    load (target, toBlob (*state));

    const auto gain = target.getApvtsManager().getValue (masterGainParameterID);
    EXPECT_TRUE (std::isfinite (gain));
    EXPECT_GE (gain, -48.0f);
    EXPECT_LE (gain, 12.0f);
    EXPECT_TRUE (std::isfinite (target.getApvtsManager().getNormalisedValue (zemOnParameterID)));
}
