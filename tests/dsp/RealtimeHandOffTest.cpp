#include "dsp/LevelAnalyzer.h"
#include "dsp/SampleRingHolder.h"
#include "support/AllocationCounter.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

using namespace corvane;

TEST (RealtimeRules, FeedingTheAnalyserAndTheRingAndReadingTheRingAllocateNothing)
{
    LevelAnalyzer analyzer;
    analyzer.setNumChannels (2);
    analyzer.prepare (48000.0, 30, 60);
    SampleRingHolder ring (4, 4096);
    ring.replace (4, 48000);

    const auto stereo = test::makeNoise (2, 512, 0.5f);
    const auto scope = test::makeNoise (4, 512, 0.5f);
    juce::AudioBuffer<float> frame (4, 2048);

    test::ScopedAllocationCounter counter;

    for (int i = 0; i < 500; ++i)
    {
        analyzer.pushSamples (stereo);
        ring.write (scope, 0);

        if (i % 3 == 0)
        {
            const auto ready = ring.getNumReady();
            ring.skip (juce::jmax (0, ready - 2048));
            ring.read (frame);
        }
    }

    EXPECT_EQ (counter.getCount(), 0u);
}
