#include "dsp/SampleRingBuffer.h"
#include "dsp/SampleRingHolder.h"

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

void expectRamp (const juce::AudioBuffer<float>& buffer, int startSample, int first)
{
    for (int c = 0; c < numRingChannels; ++c)
        for (int i = startSample; i < buffer.getNumSamples(); ++i)
            ASSERT_EQ (buffer.getSample (c, i), static_cast<float> (first + i - startSample + 1000 * c))
                << "channel " << c << ", sample " << i;
}

juce::AudioBuffer<float> makeFilled (int numSamples, float value)
{
    juce::AudioBuffer<float> buffer (numRingChannels, numSamples);

    for (int c = 0; c < numRingChannels; ++c)
        juce::FloatVectorOperations::fill (buffer.getWritePointer (c), value, numSamples);

    return buffer;
}

/** Moves both indices on by the given count, leaving the ring empty. */
void advance (SampleRingBuffer& ring, int numSamples)
{
    ASSERT_TRUE (ring.write (makeRamp (numSamples, 0), 0));
    juce::AudioBuffer<float> sink (numRingChannels, numSamples);
    ASSERT_TRUE (ring.read (sink, 0));
}
} // namespace

TEST (SampleRingBuffer, FillsToItsCapacityThenRefusesEvenOneSampleAndEmptiesOnReading)
{
    SampleRingBuffer ring (numRingChannels, 8);
    EXPECT_EQ (ring.getCapacity(), 8);
    EXPECT_EQ (ring.getNumReady(), 0);

    EXPECT_TRUE (ring.write (makeRamp (5, 1), 0));
    EXPECT_TRUE (ring.write (makeRamp (3, 6), 0));
    EXPECT_EQ (ring.getNumReady(), 8);
    EXPECT_FALSE (ring.write (makeRamp (1, 9), 0));
    EXPECT_EQ (ring.getNumReady(), 8);

    juce::AudioBuffer<float> out (numRingChannels, 8);
    ASSERT_TRUE (ring.read (out, 0));
    expectRamp (out, 0, 1);
    EXPECT_EQ (ring.getNumReady(), 0);
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
}

TEST (SampleRingBuffer, KeepsTheOrderForWritesAndReadsThatStraddleTheEndOfStorage)
{
    // Storage is 9 long; starting at every position makes the 7-sample write and the 3 + 4 reads wrap
    // at every possible point, including not at all.
    for (int offset = 0; offset < 9; ++offset)
    {
        SCOPED_TRACE (offset);
        SampleRingBuffer ring (numRingChannels, 8);
        advance (ring, offset);

        ASSERT_TRUE (ring.write (makeRamp (7, 100), 0));
        EXPECT_EQ (ring.getNumReady(), 7);

        juce::AudioBuffer<float> head (numRingChannels, 3);
        ASSERT_TRUE (ring.read (head, 0));
        expectRamp (head, 0, 100);

        juce::AudioBuffer<float> tail (numRingChannels, 4);
        ASSERT_TRUE (ring.read (tail, 0));
        expectRamp (tail, 0, 103);
        EXPECT_EQ (ring.getNumReady(), 0);
    }
}

TEST (SampleRingBuffer, AWriteEndingExactlyAtTheEndOfStorageWrapsTheNextOneToTheStart)
{
    SampleRingBuffer ring (numRingChannels, 8);
    advance (ring, 5);

    ASSERT_TRUE (ring.write (makeRamp (4, 10), 0)); // storage positions 5 .. 8
    ASSERT_TRUE (ring.write (makeRamp (4, 14), 0)); // 0 .. 3
    EXPECT_EQ (ring.getNumReady(), 8);
    EXPECT_FALSE (ring.write (makeRamp (1, 0), 0));

    juce::AudioBuffer<float> out (numRingChannels, 8);
    ASSERT_TRUE (ring.read (out, 0));
    expectRamp (out, 0, 10);
}

TEST (SampleRingBuffer, HonoursTheStartSampleOnBothSides)
{
    SampleRingBuffer ring (numRingChannels, 16);
    ASSERT_TRUE (ring.write (makeRamp (10, 0), 3));
    EXPECT_EQ (ring.getNumReady(), 7);

    auto out = makeFilled (9, -1.0f);
    ASSERT_TRUE (ring.read (out, 2));
    EXPECT_EQ (out.getSample (1, 0), -1.0f);
    EXPECT_EQ (out.getSample (1, 1), -1.0f);
    expectRamp (out, 2, 3);
}

TEST (SampleRingBuffer, AReadOfNothingSucceedsChangesNothingAndMarksTheDestinationAsHoldingData)
{
    SampleRingBuffer ring (numRingChannels, 8);
    ASSERT_TRUE (ring.write (makeRamp (3, 0), 0));

    juce::AudioBuffer<float> empty (numRingChannels, 0);
    EXPECT_TRUE (ring.read (empty, 0));

    juce::AudioBuffer<float> cleared (numRingChannels, 16);
    cleared.clear();
    ASSERT_TRUE (cleared.hasBeenCleared());
    EXPECT_TRUE (ring.read (cleared, 16));
    EXPECT_FALSE (cleared.hasBeenCleared());

    EXPECT_EQ (ring.getNumReady(), 3);
    juce::AudioBuffer<float> out (numRingChannels, 3);
    ASSERT_TRUE (ring.read (out, 0));
    expectRamp (out, 0, 0);
}

TEST (SampleRingBuffer, SkipDropsTheOldestSamplesAndNeverPassesTheWriteIndex)
{
    SampleRingBuffer ring (numRingChannels, 8);
    advance (ring, 6);
    ASSERT_TRUE (ring.write (makeRamp (5, 20), 0));

    ring.skip (3);
    EXPECT_EQ (ring.getNumReady(), 2);
    juce::AudioBuffer<float> out (numRingChannels, 2);
    ASSERT_TRUE (ring.read (out, 0));
    expectRamp (out, 0, 23);

    ASSERT_TRUE (ring.write (makeRamp (2, 30), 0));
    ring.skip (5000);
    EXPECT_EQ (ring.getNumReady(), 0);
    ASSERT_TRUE (ring.write (makeRamp (8, 40), 0)) << "the ring still has its whole capacity free";
    EXPECT_EQ (ring.getNumReady(), 8);
}

TEST (SampleRingHolder, CapacityIsOneSecondOfAudioTruncated)
{
    EXPECT_EQ (SampleRingHolder::capacityFor (44100.0), 44100);
    EXPECT_EQ (SampleRingHolder::capacityFor (44100.9), 44100);
    EXPECT_EQ (SampleRingHolder::capacityFor (48000.0), 48000);
    EXPECT_EQ (SampleRingHolder::capacityFor (96000.0), 96000);
}

TEST (SampleRingHolder, ReplacementInstallsAnEmptyRingOfTheNewCapacity)
{
    SampleRingHolder holder (numRingChannels, 44100);
    EXPECT_EQ (holder.getCapacity(), 44100);
    ASSERT_TRUE (holder.write (makeRamp (512, 0), 0));

    holder.replace (numRingChannels, SampleRingHolder::capacityFor (48000.0));
    EXPECT_EQ (holder.getCapacity(), 48000);
    EXPECT_EQ (holder.getNumReady(), 0);

    const auto second = makeFilled (48000, 0.5f);
    EXPECT_TRUE (holder.write (second, 0));
    EXPECT_FALSE (holder.write (makeRamp (1, 0), 0));

    holder.replace (numRingChannels, 48000);
    EXPECT_EQ (holder.getNumReady(), 0) << "also replaced when the rate did not change";
}

TEST (SampleRingHolder, ACountTakenFromTheOldRingNeitherCorruptsTheNewOneNorDeliversUnwrittenSamples)
{
    SampleRingHolder holder (numRingChannels, 44100);
    ASSERT_TRUE (holder.write (makeRamp (3000, 0), 0));
    const auto staleCount = holder.getNumReady();
    ASSERT_EQ (staleCount, 3000);

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
    EXPECT_EQ (holder.getNumReady(), 64);
    juce::AudioBuffer<float> next (numRingChannels, 64);
    ASSERT_TRUE (holder.read (next));
    expectRamp (next, 0, 600);
    EXPECT_TRUE (holder.write (makeFilled (44100, 0.0f), 0)) << "no capacity was lost to the stale skip";
}
