// Threads hammering the sample ring and the level analyser the way the plug-in's threads do. Built as an
// executable of its own so that it can also be built and run under ThreadSanitizer (tests/tsan).

#include "dsp/LevelAnalyzer.h"
#include "dsp/SampleRingHolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <iostream>
#include <thread>

using namespace corvane;

namespace
{
constexpr int numRingChannels = 4;
constexpr int scopeFrame = 2048;

/** Sample number n is spread over the channels so that it stays exact in floats however long the test runs,
    and so that a sample whose channels come from different writes is caught. */
void encode (juce::AudioBuffer<float>& block, juce::int64 firstSample)
{
    for (int i = 0; i < block.getNumSamples(); ++i)
    {
        const auto n = firstSample + i;
        block.setSample (0, i, static_cast<float> (n & 0xfff));
        block.setSample (1, i, static_cast<float> (n >> 12));
        block.setSample (2, i, static_cast<float> (n % 7));
        block.setSample (3, i, -static_cast<float> (n & 0xfff));
    }
}

/** The sample number, or -1 when the four channels do not describe one. */
juce::int64 decode (const juce::AudioBuffer<float>& block, int i)
{
    const auto low = static_cast<juce::int64> (block.getSample (0, i));
    const auto n = (static_cast<juce::int64> (block.getSample (1, i)) << 12) + low;

    if (block.getSample (3, i) != -block.getSample (0, i) || static_cast<juce::int64> (block.getSample (2, i)) != n % 7)
        return -1;

    return n;
}

struct RingStressResult
{
    std::atomic<juce::int64> framesRead { 0 };
    juce::int64 samplesDelivered = 0;
    juce::int64 samplesWritten = 0;
    int replacements = 0;
    juce::String firstFault;
};

/** One audio thread writes numbered samples in blocks, one reader runs the scope's frame (count, skip all but
    the newest 2048, read the rest), and this thread replaces the ring a fixed number of times, each time after
    the reader has delivered a frame from the ring before, with the writer held still while it does when the
    host's contract is kept. Every delivered sample must be one that was written, and each later than the one
    before it. */
void runRingStress (RingStressResult& result, bool writerPausesForReplacement, int numReplacements)
{
    SampleRingHolder holder (numRingChannels, 4096);
    std::atomic<bool> stop { false }, pauseRequested { false }, writerPaused { false };
    std::atomic<juce::int64> numWritten { 0 };

    std::thread writer ([&] {
        juce::Random random (7);
        juce::AudioBuffer<float> block (numRingChannels, 1024);
        juce::int64 next = 1; // 0 would look like the zeros of a fresh ring

        while (! stop.load())
        {
            if (writerPausesForReplacement && pauseRequested.load())
            {
                writerPaused.store (true);

                while (pauseRequested.load() && ! stop.load())
                    std::this_thread::yield();

                writerPaused.store (false);
                continue;
            }

            const auto size = 1 + random.nextInt (1024);
            block.setSize (numRingChannels, size, false, false, true);
            encode (block, next);

            // Published before the write so that the reader's "never written" check cannot race ahead of it.
            numWritten.store (next + size - 1);

            if (holder.write (block, 0))
                next += size;
            else
                std::this_thread::yield();
        }
    });

    std::thread reader ([&] {
        juce::Random random (13);
        juce::AudioBuffer<float> frame (numRingChannels, scopeFrame);
        juce::int64 last = 0;

        // Being descheduled between the calls is what lets a replacement fall between the count and its use.
        auto maybeYield = [&random] { if (random.nextInt (4) == 0) std::this_thread::yield(); };

        while (! stop.load())
        {
            auto n = holder.getNumReady();
            maybeYield();

            if (n > scopeFrame)
            {
                holder.skip (n - scopeFrame);
                n = scopeFrame;
                maybeYield();
            }

            if (n == 0)
            {
                std::this_thread::yield();
                continue;
            }

            frame.setSize (numRingChannels, n, false, false, true);
            frame.clear();

            if (! holder.read (frame))
                continue;

            const auto writtenSoFar = numWritten.load();

            for (int i = 0; i < n; ++i)
            {
                const auto sample = decode (frame, i);

                if (sample <= last || sample > writtenSoFar || (i > 0 && sample != last + 1))
                {
                    result.firstFault << "frame " << result.framesRead << ", sample " << i << ": got " << sample
                                      << " after " << last << " with " << writtenSoFar << " written";
                    stop.store (true);
                    return;
                }

                last = sample;
            }

            ++result.framesRead;
            result.samplesDelivered += n;

            // Frames come at intervals, so the writer gets ahead and most counts exceed one frame.
            std::this_thread::sleep_for (std::chrono::microseconds (random.nextInt (100)));
        }
    });

    juce::Random random (3);

    for (; result.replacements < numReplacements && ! stop.load(); ++result.replacements)
    {
        // Waiting for the reader, not for the clock, keeps the interleaving the same on a loaded machine.
        for (const auto framesBefore = result.framesRead.load(); result.framesRead.load() == framesBefore && ! stop.load();)
            std::this_thread::yield();

        std::this_thread::sleep_for (std::chrono::microseconds (random.nextInt (200)));

        if (writerPausesForReplacement)
        {
            pauseRequested.store (true);

            while (! writerPaused.load() && ! stop.load())
                std::this_thread::yield();
        }

        // Small capacities make every frame's stale count land on a ring that holds less than it says.
        holder.replace (numRingChannels, 1024 + random.nextInt (8192));
        pauseRequested.store (false);
    }

    stop.store (true);
    writer.join();
    reader.join();
    result.samplesWritten = numWritten.load();

    std::cout << "    " << result.replacements << " replacements, " << result.framesRead.load() << " frames, "
              << result.samplesDelivered << " of " << result.samplesWritten << " samples delivered\n";
}
} // namespace

TEST (SampleRingConcurrency, ScopeReaderSeesOnlyWrittenSamplesInOrderAcrossReplacements)
{
    // The first keeps the host's contract (no block during a replacement); the second breaks it.
    for (const auto writerPauses : { true, false })
    {
        SCOPED_TRACE (writerPauses ? "writer pauses" : "writer runs through");
        RingStressResult result;
        runRingStress (result, writerPauses, 1000);

        EXPECT_TRUE (result.firstFault.isEmpty()) << result.firstFault;
        EXPECT_EQ (result.replacements, 1000);
        EXPECT_GE (result.framesRead.load(), 1000);
    }
}

TEST (LevelAnalyzerConcurrency, PushesTicksMeterReadsAndRepreparationsNeverSeeAHalfBuiltAnalyser)
{
    LevelAnalyzer analyzer;
    std::atomic<bool> stop { false };
    std::atomic<int> badLevels { 0 }, meterReads { 0 }, pushes { 0 }, preparations { 0 };
    constexpr int numPreparations = 500, numTicks = 2000, numReads = 2000, numPushes = 2000;
    constexpr float amplitude = 0.5f;

    std::thread audio ([&] {
        juce::Random random (11);
        juce::AudioBuffer<float> block (3, 2048);

        for (int c = 0; c < block.getNumChannels(); ++c)
            for (int i = 0; i < block.getNumSamples(); ++i)
                block.setSample (c, i, amplitude * (2.0f * random.nextFloat() - 1.0f));

        while (! stop.load())
        {
            // Varying channel counts and lengths, without touching the allocation: a view on the same data.
            const auto numChannels = 1 + random.nextInt (3);
            juce::AudioBuffer<float> view (block.getArrayOfWritePointers(), numChannels, 1 + random.nextInt (2048));
            analyzer.pushSamples (view);
            ++pushes;
            std::this_thread::yield();
        }
    });

    std::thread host ([&] {
        juce::Random random (5);
        const double rates[] = { 11025.0, 22050.0, 44100.0, 48000.0, 96000.0 };

        for (int i = 0; i < numPreparations; ++i)
        {
            analyzer.setNumChannels (random.nextInt (4));
            analyzer.prepare (rates[random.nextInt (5)], 30, 60, 1 + random.nextInt (2048));
            ++preparations;
            std::this_thread::sleep_for (std::chrono::microseconds (200));
        }
    });

    std::thread meter ([&] {
        juce::Array<float> levels;

        while (! stop.load())
        {
            analyzer.getPeakLevels (levels);

            if (levels.size() > 3)
                ++badLevels;

            for (auto level : levels)
                if (! (level >= 0.0f && level <= amplitude))
                    ++badLevels;

            ++meterReads;
        }
    });

    // This thread is the message thread; it ticks as the timer would, only faster, until every thread has done
    // its share of the work.
    int ticks = 0;

    for (; ticks < numTicks || preparations.load() < numPreparations || meterReads.load() < numReads
           || pushes.load() < numPushes;
         ++ticks)
    {
        analyzer.timerCallback();
        std::this_thread::sleep_for (std::chrono::microseconds (100));
    }

    stop.store (true);
    audio.join();
    host.join();
    meter.join();

    EXPECT_EQ (badLevels.load(), 0);
}
