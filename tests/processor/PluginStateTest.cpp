#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace corvane;

namespace
{
class PluginStateTest : public testing::Test
{
protected:
    static juce::MemoryBlock save (AudioPluginAudioProcessor& processor)
    {
        juce::MemoryBlock block;
        processor.getStateInformation (block);
        return block;
    }

    /** Hands the bytes over as a host would and waits until the message thread has run everything posted until
        then, so that a restore is done whether it ran at once or was deferred. Returns its debug output. */
    static std::string load (AudioPluginAudioProcessor& processor, const juce::MemoryBlock& block)
    {
        testing::internal::CaptureStderr();
        processor.setStateInformation (block.getData(), static_cast<int> (block.getSize()));

        auto done = std::make_shared<std::atomic<bool>> (false);
        juce::MessageManager::callAsync ([done] { done->store (true); });
        const auto deadline = juce::Time::getMillisecondCounter() + 10000;

        while (! done->load() && juce::Time::getMillisecondCounter() < deadline)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (1);

        EXPECT_TRUE (done->load()) << "the message thread never got round to the restore";
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

TEST_F (PluginStateTest, RoundTripThroughNewInstancesRestoresEverythingQuietly)
{
    EXPECT_EQ (load (target, savedCustomState()), "");
    EXPECT_FLOAT_EQ (target.getApvtsManager().getValue (masterGainParameterID), -12.0f);
    EXPECT_FALSE (target.getApvtsManager().getBoolValue (zemOnParameterID));
    EXPECT_TRUE (isDark (target));

    // A project saved again after it was loaded keeps the restored skin.
    AudioPluginAudioProcessor next;
    load (next, save (target));
    EXPECT_TRUE (isDark (next));
}

TEST_F (PluginStateTest, AnotherVersionWritesOneMessageAndStillRestores)
{
    auto state = parse (savedCustomState());
    state->setAttribute ("Corvane_ZEM2_Version", "2.0.9");

    auto lines = juce::StringArray::fromLines (load (target, toBlob (*state)));
    lines.removeEmptyStrings();
    EXPECT_EQ (lines.size(), 1) << lines.joinIntoString ("\n");
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
    std::thread host ([&] {
        target.setStateInformation (custom.getData(), static_cast<int> (custom.getSize()));
        savedAtOnce = save (target);
    });
    host.join();

    EXPECT_EQ (savedAtOnce, custom);
    EXPECT_FALSE (target.getApvtsManager().getBoolValue (zemOnParameterID));
    EXPECT_FALSE (isDark (target)) << "the views' tree changes on the message thread";

    for (const auto deadline = juce::Time::getMillisecondCounter() + 30000;
         ! isDark (target) && juce::Time::getMillisecondCounter() < deadline;)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (1);

    EXPECT_TRUE (isDark (target));
    EXPECT_EQ (save (target), custom);
}

TEST_F (PluginStateTest, ASkinChangeQueuedByADestroyedProcessorIsDropped)
{
    // What fails here is a crash, or a report from the address sanitizer.
    const auto custom = savedCustomState();
    {
        AudioPluginAudioProcessor doomed;
        std::thread host ([&] { doomed.setStateInformation (custom.getData(), static_cast<int> (custom.getSize())); });
        host.join();
    }

    juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
}

TEST_F (PluginStateTest, ShortEmptyOrUnmarkedBytesRestoreNothing)
{
    const auto custom = savedCustomState();
    const auto defaults = save (target);

    auto unmarked = custom;
    static_cast<char*> (unmarked.getData())[0] = 'X';

    for (const auto& block : { juce::MemoryBlock (custom.getData(), 8), unmarked, juce::MemoryBlock() })
        load (target, block);

    EXPECT_EQ (save (target), defaults);
}
