#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"
#include "support/TestSignals.h"

#include "dsp/BinauralProcessor.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{
/** Marks a sample whose gain cannot be told because the chain's output was silent. */
constexpr float unknownGain = -1.0f;

/** With "ZEM On" off and its crossfade over, the chain is the master gain alone, so what leaves the processor
    can be checked sample by sample. */
class PluginProcessorTest : public testing::Test
{
protected:
    static constexpr double sampleRate = 48000.0;
    static constexpr int blockSize = 256;
    static constexpr int fadeLength = 1440; // 30 ms at 48 kHz

    PluginProcessorTest() { processor.getApvtsManager().setBoolValue (zemOnParameterID, false); }

    void prepare() { processor.prepareToPlay (sampleRate, blockSize); }

    juce::AudioBuffer<float> process (juce::AudioBuffer<float> buffer)
    {
        processor.processBlock (buffer, midi);
        return buffer;
    }

    /** Runs past the gain node's first ramp, the output fade-in and the 50 ms crossfade to the dry path. */
    void settle()
    {
        for (int done = 0; done < 6000; done += blockSize)
            process (test::makeConstant (2, blockSize, 0.0f));
    }

    AudioPluginAudioProcessor processor;
    juce::MidiBuffer midi;
};

/** The scope's ring holds the four binaural paths of every block. With "ZEM On" on and no crossfade running, each
    ear's output before the output stage is the sum of its two paths, so the ring tells what the stage was given,
    whenever the convolution engines take over their responses. */
class FadeInTest : public testing::Test
{
protected:
    static constexpr double sampleRate = 48000.0;
    static constexpr int blockSize = 256;

    /** Processes blocks of the given sizes and returns the gain that the output stage applied to each sample,
        after checking that it is the same on both channels. */
    std::vector<float> appliedGains (std::initializer_list<int> blockSizes)
    {
        std::vector<float> gains;
        juce::int64 seed = 1;

        for (auto size : blockSizes)
        {
            auto output = test::makeNoise (2, size, 0.25f, seed++);
            processor.processBlock (output, midi);

            juce::AudioBuffer<float> paths (4, processor.getNumReady());
            EXPECT_TRUE (processor.read (paths));
            EXPECT_GE (paths.getNumSamples(), size);

            for (int k = 0; k < juce::jmin (size, paths.getNumSamples()); ++k)
            {
                const auto left = paths.getSample (0, k) + paths.getSample (1, k);
                const auto right = paths.getSample (2, k) + paths.getSample (3, k);
                // A silent chain sample says nothing about the gain applied to it.
                const auto gain = left != 0.0f ? output.getSample (0, k) / left : unknownGain;
                EXPECT_NEAR (output.getSample (1, k), right * gain, 1.0e-7f);
                gains.push_back (gain);
            }
        }

        return gains;
    }

    AudioPluginAudioProcessor processor;
    juce::MidiBuffer midi;
};

void expectFadeIn (const std::vector<float>& gains)
{
    // Sample k after the preparation is scaled by k equal single-precision steps of 1/1440, and the ramp's
    // last sample and everything after it by exactly 1, wherever the block boundaries fall.
    const auto step = 1.0f / 1440.0f;
    auto expected = 0.0f;

    for (size_t i = 0; i < gains.size(); ++i)
    {
        const auto k = static_cast<int> (i) + 1;
        expected = k >= 1440 ? 1.0f : expected + step;

        if (gains[i] == unknownGain)
            continue;

        ASSERT_NEAR (gains[i], expected, 1.0e-6f) << "sample " << k;

        if (k >= 1440)
        {
            ASSERT_EQ (gains[i], 1.0f) << "sample " << k;
        }
    }
}
} // namespace

TEST_F (FadeInTest, FadesInOverThirtyMillisecondsHoweverTheHostSplitsBlocks)
{
    processor.prepareToPlay (sampleRate, blockSize);
    // A block longer than the prepared size among them: the fade runs on across its pieces.
    expectFadeIn (appliedGains ({ 1, 255, 7, 600, 100, 256, 200, 64, 256, 256 }));
}

TEST_F (FadeInTest, RepeatedPreparationsOrAReleaseBetweenThemStillFadeIn)
{
    processor.prepareToPlay (sampleRate, blockSize);
    processor.prepareToPlay (sampleRate, blockSize);
    expectFadeIn (appliedGains ({ 256, 256, 256, 256, 256, 256, 256 }));

    processor.prepareToPlay (sampleRate, blockSize);
    processor.releaseResources();
    processor.prepareToPlay (sampleRate, blockSize);
    expectFadeIn (appliedGains ({ 256, 256, 256, 256, 256, 256, 256 }));
}

TEST_F (FadeInTest, OnePreparationAfterPlaybackKeepsFullLevel)
{
    processor.prepareToPlay (sampleRate, blockSize);
    appliedGains ({ 256, 256, 256, 256, 256, 256, 256 });

    processor.prepareToPlay (sampleRate, blockSize);

    for (auto gain : appliedGains ({ 256, 100, 256 }))
        ASSERT_TRUE (gain == 1.0f || gain == unknownGain);
}

TEST_F (PluginProcessorTest, ClipsToPlusMinusTwo)
{
    processor.getApvtsManager().setValue (masterGainParameterID, 12.0f);
    prepare();
    settle();

    auto input = test::makeConstant (2, blockSize, 1.5f);
    input.applyGain (1, 0, blockSize, -1.0f);
    input.setSample (0, 10, 0.25f);

    const auto output = process (input);

    EXPECT_EQ (output.getSample (0, 0), 2.0f);
    EXPECT_EQ (output.getSample (1, 0), -2.0f);
    EXPECT_EQ (output.getSample (0, 10), 0.5f);
    EXPECT_EQ (output.getMagnitude (0, blockSize), 2.0f);
}

TEST_F (PluginProcessorTest, EverySampleOfAHostBlockLongerThanThePreparedSizeGoesThroughTheChain)
{
    processor.getApvtsManager().setValue (masterGainParameterID, -48.0f);
    prepare();
    settle();

    // Muted: a sample that skipped the chain would come out as it went in.
    for (const auto numSamples : { 17, blockSize * 2, blockSize * 2 + 3, blockSize * 5 + 100 })
    {
        const auto output = process (test::makeConstant (2, numSamples, 1.0f));
        EXPECT_EQ (output.getMagnitude (0, numSamples), 0.0f) << numSamples;
    }
}

namespace
{
/** Instances whose convolution engines have taken over their responses and settled, so that two of them fed the
    same input render the same samples. */
class LoadedProcessorTest : public testing::Test
{
protected:
    static constexpr double sampleRate = 48000.0;
    static constexpr int blockSize = 256;

    static void prepareAndLoad (AudioPluginAudioProcessor& processor, int numInputChannels = 2)
    {
        ASSERT_TRUE (processor.setBusesLayout (makeBusesLayout (numInputChannels, 2)));
        processor.prepareToPlay (sampleRate, blockSize);

        const auto& binaural = *processor.getMainProcessor().getProcessingGraph().binauralProcessor;
        const auto loadedLength = juce::roundToInt (BinauralProcessor::impulseResponseLength * sampleRate / 192000.0);
        auto allLoaded = [&] {
            for (int k = 0; k < BinauralProcessor::numEngines; ++k)
                if (binaural.getImpulseResponseSize (k) != loadedLength)
                    return false;
            return true;
        };

        // The engines load on background threads and take over at the next block; only a real failure takes 30 s.
        const auto deadline = juce::Time::getMillisecondCounter() + 30000;

        while (! allLoaded() && juce::Time::getMillisecondCounter() < deadline)
        {
            processSilence (processor, 1);
            juce::Thread::yield();
        }

        ASSERT_TRUE (allLoaded());
        // Past the engines' own switch-over, whose old engine still rings with the silence fed so far.
        processSilence (processor, 2 * static_cast<int> (0.05 * sampleRate / blockSize) + 2);
        processor.skip (processor.getNumReady());
    }

    static juce::AudioBuffer<float> process (AudioPluginAudioProcessor& processor, juce::AudioBuffer<float> buffer)
    {
        juce::MidiBuffer midi;
        processor.processBlock (buffer, midi);
        return buffer;
    }

    static void processSilence (AudioPluginAudioProcessor& processor, int numBlocks)
    {
        for (int i = 0; i < numBlocks; ++i)
            process (processor, test::makeConstant (2, blockSize, 0.0f));
    }

    static juce::AudioBuffer<float> readPaths (AudioPluginAudioProcessor& processor, int numSamples)
    {
        juce::AudioBuffer<float> paths (4, numSamples);
        EXPECT_TRUE (processor.read (paths));
        processor.skip (processor.getNumReady());
        return paths;
    }

    static float largestDifference (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
    {
        auto largest = 0.0f;
        for (int c = 0; c < a.getNumChannels(); ++c)
            for (int k = 0; k < a.getNumSamples(); ++k)
                largest = juce::jmax (largest, std::abs (a.getSample (c, k) - b.getSample (c, k)));
        return largest;
    }
};
} // namespace

TEST_F (LoadedProcessorTest, ZemOnAgainRendersAsIfItHadNeverBeenOff)
{
    AudioPluginAudioProcessor switched, reference;
    prepareAndLoad (switched);
    prepareAndLoad (reference);

    for (int block = 0; block < 40; ++block)
    {
        if (block == 5 || block == 20)
            switched.getApvtsManager().setBoolValue (zemOnParameterID, block == 20);

        const auto input = test::makeNoise (2, blockSize, 0.25f, block + 1);
        const auto fromSwitched = process (switched, input);
        const auto fromReference = process (reference, input);

        const auto fromInput = largestDifference (fromSwitched, input);
        const auto fromBinaural = largestDifference (fromSwitched, fromReference);

        // 50 ms is 9.4 blocks of 256 at 48 kHz.
        if (block >= 15 && block < 20)
        {
            EXPECT_EQ (fromInput, 0.0f) << "off: the input itself, block " << block;
        }

        if (block >= 30)
        {
            EXPECT_LT (fromBinaural, 1.0e-6f) << "block " << block;
        }
    }
}

TEST_F (LoadedProcessorTest, PreparedAgainWithTheSameSettingsPlaysOnAsIfUninterrupted)
{
    // Hosts prepare again on transport and activation changes; the room's tails must not restart or dip.
    AudioPluginAudioProcessor preparedAgain, reference;
    prepareAndLoad (preparedAgain);
    prepareAndLoad (reference);

    for (int block = 0; block < 30; ++block)
    {
        if (block == 10)
            preparedAgain.prepareToPlay (sampleRate, blockSize);

        const auto input = test::makeNoise (2, blockSize, 0.25f, block + 1);
        ASSERT_LE (largestDifference (process (preparedAgain, input), process (reference, input)), 1.0e-6f) << "block " << block;
    }
}

TEST_F (LoadedProcessorTest, MonoInputIsRenderedFromBothLoudspeakers)
{
    AudioPluginAudioProcessor mono, stereo;
    prepareAndLoad (mono, 1);
    prepareAndLoad (stereo, 2);

    for (int block = 0; block < 10; ++block)
    {
        auto input = test::makeNoise (2, blockSize, 0.25f, block + 1);
        input.copyFrom (1, 0, input, 0, 0, blockSize);

        auto monoInput = input;
        monoInput.clear (1, 0, blockSize);

        ASSERT_LT (largestDifference (process (mono, monoInput), process (stereo, input)), 1.0e-6f) << block;
    }
}

TEST_F (LoadedProcessorTest, TheScopeGetsTheFourPathsThatMakeTheOutput)
{
    AudioPluginAudioProcessor processor;
    prepareAndLoad (processor);

    // An impulse on each side in turn: only that loudspeaker's two paths carry it, and they make up the output.
    for (const auto side : { 0, 1 })
    {
        SCOPED_TRACE (side == 0 ? "left loudspeaker" : "right loudspeaker");
        juce::AudioBuffer<float> input (2, blockSize);
        input.clear();
        input.setSample (side, 0, 1.0f);

        for (int block = 0; block < 4; ++block)
        {
            const auto output = process (processor, input);
            const auto paths = readPaths (processor, blockSize);
            input.clear();

            EXPECT_EQ (paths.getMagnitude (1 - side, 0, blockSize), 0.0f);
            EXPECT_EQ (paths.getMagnitude (3 - side, 0, blockSize), 0.0f);

            if (block == 0)
            {
                EXPECT_GT (paths.getMagnitude (side, 0, blockSize), 0.01f);
                EXPECT_GT (paths.getMagnitude (2 + side, 0, blockSize), 0.01f);
            }

            for (int k = 0; k < blockSize; ++k)
            {
                ASSERT_EQ (output.getSample (0, k), paths.getSample (side, k)) << block << ", " << k;
                ASSERT_EQ (output.getSample (1, k), paths.getSample (2 + side, k)) << block << ", " << k;
            }
        }

        processSilence (processor, 40);
        processor.skip (processor.getNumReady());
    }
}

TEST (AudioPluginAudioProcessorLifecycle, ABlockBeforeAnyPreparationLeavesTheInputOrSilence)
{
    for (const auto numSamples : { 0, 1, 256, 4096 })
    {
        AudioPluginAudioProcessor processor;
        const auto input = test::makeNoise (2, numSamples, 0.5f);
        auto output = input;
        juce::MidiBuffer midi;
        processor.processBlock (output, midi);

        for (int c = 0; c < 2; ++c)
            for (int k = 0; k < numSamples; ++k)
                ASSERT_TRUE (output.getSample (c, k) == input.getSample (c, k) || output.getSample (c, k) == 0.0f)
                    << numSamples << " samples, channel " << c << ", sample " << k;
    }
}
