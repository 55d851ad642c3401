#include "StateRestoreCheck.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{
/** Every file the fuzzer started from or found a fault with, restored into one processor in turn. */
void replayFolder (const juce::String& name)
{
    const auto folder = juce::File (ZEM2_FUZZ_DIR).getChildFile (name);
    const auto files = folder.findChildFiles (juce::File::findFiles, false);
    ASSERT_FALSE (files.isEmpty()) << folder.getFullPathName();

    AudioPluginAudioProcessor processor;

    for (const auto& file : files)
    {
        juce::MemoryBlock bytes;
        ASSERT_TRUE (file.loadFileAsData (bytes));
        EXPECT_EQ (test::restoreAndCheck (processor, bytes.getData(), bytes.getSize()), "") << file.getFileName();
    }
}
} // namespace

TEST (StateRestoreReplay, SeedCorpus) { replayFolder ("corpus"); }
TEST (StateRestoreReplay, FoundFaults) { replayFolder ("regressions"); }

TEST (StateRestoreReplay, SeedsAreStatesThatRestore)
{
    // The seeds are only worth fuzzing from if they are what a host really hands back.
    juce::MemoryBlock bytes;
    ASSERT_TRUE (juce::File (ZEM2_FUZZ_DIR).getChildFile ("corpus/dark-zem-off.bin").loadFileAsData (bytes));

    AudioPluginAudioProcessor processor;
    ASSERT_EQ (test::restoreAndCheck (processor, bytes.getData(), bytes.getSize()), "");
    EXPECT_TRUE (static_cast<bool> (processor.getConfigState().getProperty ("isDark", false)));
    EXPECT_FALSE (processor.getApvtsManager().getBoolValue ("ZEM On"));
    EXPECT_FLOAT_EQ (processor.getApvtsManager().getValue ("Master Gain"), -12.0f);
}
