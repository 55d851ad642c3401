#include "dsp/SampleRingBuffer.h"
#include "dsp/SampleRingHolder.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{
constexpr int numRingChannels = 4;

/** Sample i of channel c holds first + i + 1000 c, so that order and channel are both visible. */
juce::AudioBuffer<float> makeRamp (int numSamples, int first)
{
    juce::AudioBuffer<float> buffer (numRingChannels, numSamples);

    for (int c = 0; c < numRingChannels; ++c)
        for (int i = 0; i < numSamples; ++i)
            buffer.setSample (c, i, static_cast<float> (first + i + 1000 * c));

    return buffer;
}

void expectRamp (const juce::AudioBuffer<float>& buffer, int first)
{
    for (int c = 0; c < numRingChannels; ++c)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            ASSERT_EQ (buffer.getSample (c, i), static_cast<float> (first + i + 1000 * c))
                << "channel " << c << ", sample " << i;
}

juce::AudioBuffer<float> makeFilled (int numSamples, float value)
{
    return test::makeConstant (numRingChannels, numSamples, value);
}

/** Moves both indices on by the given count, leaving the ring empty. */
void advance (SampleRingBuffer& ring, int numSamples)
{
    ASSERT_TRUE (ring.write (makeRamp (numSamples, 0), 0));
    juce::AudioBuffer<float> sink (numRingChannels, numSamples);
    ASSERT_TRUE (ring.read (sink, 0));
}
} // namespace

TEST (SampleRingBuffer, FillsToItsCapacityAndKeepsTheOrderWhereverTheStorageWraps)
{
    // Storage is 9 long; starting at every position makes the writes of 7 and 1, the reads of 3 and the skip
    // of 2 wrap at every possible point, including not at all and exactly at the end of storage.
    for (int offset = 0; offset < 9; ++offset)
    {
        SCOPED_TRACE (offset);
        SampleRingBuffer ring (numRingChannels, 8);
        advance (ring, offset);

        ASSERT_TRUE (ring.write (makeRamp (7, 100), 0));
        ASSERT_TRUE (ring.write (makeRamp (1, 107), 0));
        EXPECT_EQ (ring.getNumReady(), 8);
        EXPECT_FALSE (ring.write (makeRamp (1, 0), 0)) << "full";

        juce::AudioBuffer<float> three (numRingChannels, 3);
        ASSERT_TRUE (ring.read (three, 0));
        expectRamp (three, 100);

        ring.skip (2);
        ASSERT_TRUE (ring.read (three, 0));
        expectRamp (three, 105);
        EXPECT_EQ (ring.getNumReady(), 0);
    }
}

TEST (SampleRingBuffer, RefusesWholeBlocksThatDoNotFitAndReadsThatAskForMoreThanIsReady)
{
    SampleRingBuffer ring (numRingChannels, 8);
    EXPECT_FALSE (ring.write (makeRamp (9, 0), 0)) << "longer than the capacity never fits";

    ASSERT_TRUE (ring.write (makeRamp (6, 0), 0));
    EXPECT_FALSE (ring.write (makeRamp (3, 0), 0)) << "no partial write";
    EXPECT_EQ (ring.getNumReady(), 6);

    auto out = makeFilled (7, -1.0f);
    EXPECT_FALSE (ring.read (out, 0));
    EXPECT_EQ (ring.getNumReady(), 6);

    for (int c = 0; c < numRingChannels; ++c)
        for (int i = 0; i < 7; ++i)
            ASSERT_EQ (out.getSample (c, i), -1.0f) << "a failed read leaves the destination alone";

    juce::AudioBuffer<float> empty (numRingChannels, 0);
    EXPECT_TRUE (ring.read (empty, 0));
    EXPECT_EQ (ring.getNumReady(), 6) << "a read of nothing takes nothing";
}

TEST (SampleRingHolder, ReplacementInstallsAnEmptyRingOfTheNewCapacity)
{
    SampleRingHolder holder (numRingChannels, 44100);
    ASSERT_TRUE (holder.write (makeRamp (512, 0), 0));

    holder.replace (numRingChannels, 48000);
    EXPECT_EQ (holder.getNumReady(), 0);
    EXPECT_TRUE (holder.write (makeFilled (48000, 0.5f), 0));
    EXPECT_FALSE (holder.write (makeRamp (1, 0), 0));

    holder.replace (numRingChannels, 48000);
    EXPECT_EQ (holder.getNumReady(), 0) << "also replaced when the rate did not change";
}

TEST (SampleRingHolder, ACountTakenFromTheOldRingNeitherCorruptsTheNewOneNorDeliversUnwrittenSamples)
{
    SampleRingHolder holder (numRingChannels, 44100);
    ASSERT_TRUE (holder.write (makeRamp (3000, 0), 0));
    const auto staleCount = holder.getNumReady();

    holder.replace (numRingChannels, 44100);
    ASSERT_TRUE (holder.write (makeRamp (100, 500), 0));

    // The scope's frame: skip all but the newest 2048, then read 2048, with the count from the old ring.
    holder.skip (staleCount - 2048);
    EXPECT_EQ (holder.getNumReady(), 0) << "the skip stopped at the write index";

    auto out = makeFilled (2048, -1.0f);
    EXPECT_FALSE (holder.read (out));
    EXPECT_EQ (out.getSample (0, 0), -1.0f);

    // The next frame works normally on the new ring.
    ASSERT_TRUE (holder.write (makeRamp (64, 600), 0));
    juce::AudioBuffer<float> next (numRingChannels, 64);
    ASSERT_TRUE (holder.read (next));
    expectRamp (next, 600);
    EXPECT_TRUE (holder.write (makeFilled (44100, 0.0f), 0)) << "no capacity was lost to the stale skip";
}
