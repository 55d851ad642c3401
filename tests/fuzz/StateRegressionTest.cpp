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
