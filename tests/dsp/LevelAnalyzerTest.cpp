#include "dsp/LevelAnalyzer.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{
juce::Array<float> levelsOf (const LevelAnalyzer& analyzer)
{
    juce::Array<float> levels;
    analyzer.getPeakLevels (levels);
    return levels;
}

/** The timer runs on the message thread, which these tests never pump: they drive each tick themselves, on a
    clock of their own. */
class LevelAnalyzerTest : public testing::Test
{
protected:
    LevelAnalyzerTest()
    {
        analyzer.setClock ([this] { return nowMs; });
    }

    void prepareStereo (double sampleRate, int maximumBlockSize = 512)
    {
        analyzer.setNumChannels (2);
        analyzer.prepare (sampleRate, 30, 60, maximumBlockSize);
    }

    void tickAfter (juce::int64 milliseconds)
    {
        nowMs += milliseconds;
        analyzer.timerCallback();
    }

    juce::int64 nowMs = 100000;
    LevelAnalyzer analyzer;
};
} // namespace

TEST_F (LevelAnalyzerTest, AnalysesOnceAThirtyMillisecondWindowHasArrived)
{
    const std::pair<double, int> expected[] = { { 22050.0, 662 }, { 44100.0, 1323 }, { 48000.0, 1440 }, { 96000.0, 2880 }, { 192000.0, 5760 } };

    for (const auto& [sampleRate, window] : expected)
    {
        SCOPED_TRACE (sampleRate);
        prepareStereo (sampleRate);
        EXPECT_EQ (analyzer.getWindowSamples(), window);

        analyzer.pushSamples (test::makeConstant (2, window - 1, 0.5f));
        tickAfter (16);
        EXPECT_EQ (levelsOf (analyzer), juce::Array<float> ({ 0.0f, 0.0f })) << "less than a window: the tick waits";

        analyzer.pushSamples (test::makeConstant (2, 1, 0.25f));
        tickAfter (16);
        EXPECT_EQ (levelsOf (analyzer), juce::Array<float> ({ 0.5f, 0.5f }));
        EXPECT_EQ (analyzer.getNumReady (0), 0);
    }
}

TEST_F (LevelAnalyzerTest, AnOverAnywhereInASteadyStreamIsAlwaysMeasured)
{
    struct Case
    {
        double sampleRate;
        int blockSize;
        juce::int64 tickMs; // a message thread that runs late ticks less often
    };

    const Case cases[] = { { 44100.0, 1024, 16 }, { 48000.0, 64, 16 }, { 44100.0, 4096, 16 }, { 96000.0, 2048, 16 }, { 48000.0, 512, 90 } };

    for (const auto& c : cases)
    {
        for (const auto overAt : { 0, 1, 700, 1023, 3000, 4095, 20000, 33333 })
        {
            SCOPED_TRACE (juce::String (c.sampleRate) + " Hz, block " + juce::String (c.blockSize) + ", tick "
                          + juce::String (c.tickMs) + " ms, over at " + juce::String (overAt));
            prepareStereo (c.sampleRate, c.blockSize);

            const auto samplesPerTick = c.sampleRate * static_cast<double> (c.tickMs) / 1000.0;
            double nextTickAt = samplesPerTick;
            auto loudest = 0.0f;

            for (int start = 0; start < 48000; start += c.blockSize)
            {
                auto block = test::makeConstant (2, c.blockSize, 0.1f);

                if (overAt >= start && overAt < start + c.blockSize)
                    block.setSample (1, overAt - start, -1.0f);

                analyzer.pushSamples (block);

                for (; nextTickAt <= start + c.blockSize; nextTickAt += samplesPerTick)
                {
                    tickAfter (c.tickMs);
                    loudest = juce::jmax (loudest, levelsOf (analyzer)[1]);
                }
            }

            EXPECT_EQ (loudest, 1.0f);
        }
    }
}

TEST_F (LevelAnalyzerTest, AfterTheHoldAShortWindowIsAnalysedAndWithoutSamplesLevelsFallToZero)
{
    prepareStereo (48000.0);
    analyzer.pushSamples (test::makeConstant (2, 1440, 0.7f));
    tickAfter (16);

    analyzer.pushSamples (test::makeConstant (2, 100, 0.3f));

    for (int tick = 0; tick < 4; ++tick)
        tickAfter (16);

    EXPECT_FLOAT_EQ (levelsOf (analyzer)[1], 0.7f) << "64 ms recorded at the fourth tick: the hold is judged later";
    tickAfter (16);
    EXPECT_FLOAT_EQ (levelsOf (analyzer)[1], 0.3f) << "the short window";
    EXPECT_EQ (analyzer.getNumReady (1), 0);

    for (int tick = 0; tick < 4; ++tick)
        tickAfter (16);

    EXPECT_FLOAT_EQ (levelsOf (analyzer)[0], 0.3f);
    tickAfter (16);
    EXPECT_EQ (levelsOf (analyzer), juce::Array<float> ({ 0.0f, 0.0f }));
}

TEST_F (LevelAnalyzerTest, TheFirstWaitingTickAfterConstructionCountsThePastAsHeld)
{
    analyzer.setNumChannels (1);
    analyzer.pushSamples (test::makeConstant (1, 10, -0.6f));
    tickAfter (0);
    EXPECT_FLOAT_EQ (levelsOf (analyzer)[0], 0.0f);
    tickAfter (0);
    EXPECT_FLOAT_EQ (levelsOf (analyzer)[0], 0.6f);
}

TEST_F (LevelAnalyzerTest, ChannelsFollowSetNumChannelsAndPrepareEmptiesTheFifosButKeepsTheLevels)
{
    EXPECT_EQ (levelsOf (analyzer).size(), 1);

    analyzer.setNumChannels (0);
    analyzer.pushSamples (test::makeConstant (2, 4000, 0.5f));
    tickAfter (100);
    EXPECT_TRUE (levelsOf (analyzer).isEmpty());

    analyzer.prepare (48000.0, 30, 60, 256);
    analyzer.setNumChannels (2);
    EXPECT_EQ (levelsOf (analyzer), juce::Array<float> ({ 0.0f, 0.0f }));
    analyzer.pushSamples (test::makeConstant (1, 1440, 0.5f));
    EXPECT_EQ (analyzer.getNumReady (1), 0) << "a mono block feeds the first channel only";
    tickAfter (16);
    EXPECT_EQ (levelsOf (analyzer), juce::Array<float> ({ 0.5f, 0.0f }));

    analyzer.pushSamples (test::makeConstant (2, 500, 0.9f));
    analyzer.prepare (96000.0, 30, 60, 256);
    EXPECT_EQ (analyzer.getNumReady (0), 0);
    EXPECT_EQ (levelsOf (analyzer), juce::Array<float> ({ 0.5f, 0.0f }));

    juce::AudioBuffer<float> block (3, 2880);
    block.clear();
    block.setSample (1, 2879, 0.125f);
    block.setSample (2, 0, 1.0f);
    analyzer.pushSamples (block);
    tickAfter (16);
    EXPECT_EQ (levelsOf (analyzer), juce::Array<float> ({ 0.0f, 0.125f }))
        << "nothing older than the preparation, and no channel beyond the analyser's";
}
