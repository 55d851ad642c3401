#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"
#include "support/TestSignals.h"

#include "support/BusLayouts.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{
class PluginProcessorTest : public testing::Test
{
protected:
    static constexpr double sampleRate = 48000.0;
    static constexpr int blockSize = 256;
    static constexpr int fadeLength = 1440; // 30 ms at 48 kHz

    void prepare() { processor.prepareToPlay (sampleRate, blockSize); }

    juce::AudioBuffer<float> process (juce::AudioBuffer<float> buffer)
    {
        processor.processBlock (buffer, midi);
        return buffer;
    }

    /** The gain node ramps its first block up from silence; one sample of it keeps that ramp out of the way. */
    void consumeGainRamp() { process (test::makeConstant (2, 1, 0.0f)); }

    /** Runs past the gain node's first ramp and the output fade-in. */
    void settle()
    {
        for (int done = 0; done < fadeLength + blockSize; done += blockSize)
            process (test::makeConstant (2, blockSize, 0.0f));
    }

    /** Feeds constant 1.0 in blocks of the given sizes and returns the output samples, one after another. */
    std::vector<float> renderOnes (std::initializer_list<int> blockSizes)
    {
        std::vector<float> output;

        for (auto size : blockSizes)
        {
            const auto block = process (test::makeConstant (2, size, 1.0f));
            for (int k = 0; k < size; ++k)
            {
                EXPECT_EQ (block.getSample (0, k), block.getSample (1, k));
                output.push_back (block.getSample (0, k));
            }
        }

        return output;
    }

    AudioPluginAudioProcessor processor;
    juce::MidiBuffer midi;
};

void expectFadeIn (const std::vector<float>& output, int firstSample)
{
    // Sample k after the preparation is scaled by k equal single-precision steps of 1/1440, and the ramp's
    // last sample by exactly 1, wherever the block boundaries fall.
    const auto step = 1.0f / 1440.0f;
    auto expected = 0.0f;

    for (int k = 1; k < firstSample; ++k)
        expected += step;

    for (size_t i = 0; i < output.size(); ++i)
    {
        const auto k = firstSample + static_cast<int> (i);
        expected = k >= 1440 ? 1.0f : expected + step;
        ASSERT_EQ (output[i], expected) << "sample " << k;
    }
}
} // namespace

TEST_F (PluginProcessorTest, IdentityAndProgramInterface)
{
    EXPECT_EQ (processor.getName(), "ZEM2");
    EXPECT_EQ (processor.getNumPrograms(), 1);
    EXPECT_EQ (processor.getCurrentProgram(), 0);
    EXPECT_EQ (processor.getProgramName (0), "Default");
    EXPECT_EQ (processor.getTailLengthSeconds(), 0.0);
    EXPECT_FALSE (processor.acceptsMidi());
    EXPECT_FALSE (processor.producesMidi());
    EXPECT_EQ (processor.getLatencySamples(), 0);
    EXPECT_EQ (processor.getMainBusNumInputChannels(), 2);
    EXPECT_EQ (processor.getMainBusNumOutputChannels(), 2);
    EXPECT_FALSE (static_cast<bool> (processor.getConfigState()[isDarkIdentifier]));
}

TEST_F (PluginProcessorTest, AcceptsMonoOrStereoIntoStereoOnly)
{
    using Set = juce::AudioChannelSet;

    const auto layout = test::makeLayout;

    EXPECT_TRUE (processor.checkBusesLayoutSupported (layout (Set::stereo(), Set::stereo())));
    EXPECT_TRUE (processor.checkBusesLayoutSupported (layout (Set::mono(), Set::stereo())));
    EXPECT_FALSE (processor.checkBusesLayoutSupported (layout (Set::stereo(), Set::mono())));
    EXPECT_FALSE (processor.checkBusesLayoutSupported (layout (Set::mono(), Set::mono())));
    EXPECT_FALSE (processor.checkBusesLayoutSupported (layout (Set::disabled(), Set::stereo())));
    EXPECT_FALSE (processor.checkBusesLayoutSupported (layout (Set::createLCR(), Set::stereo())));
    EXPECT_FALSE (processor.checkBusesLayoutSupported (layout (Set::stereo(), Set::create5point1())));
    EXPECT_FALSE (processor.checkBusesLayoutSupported ({}));
}

TEST_F (PluginProcessorTest, FadesInOverThirtyMillisecondsHoweverTheHostSplitsBlocks)
{
    prepare();
    consumeGainRamp();
    expectFadeIn (renderOnes ({ 1, 255, 7, 256, 100, 256, 256, 200, 64, 256, 256 }), 2);
}

TEST_F (PluginProcessorTest, TwoPreparationsInARowStillFadeIn)
{
    prepare();
    prepare();
    consumeGainRamp();
    expectFadeIn (renderOnes ({ 256, 256, 256, 256, 256, 256, 256 }), 2);
}

TEST_F (PluginProcessorTest, OnePreparationAfterPlaybackKeepsFullLevel)
{
    prepare();
    settle();
    prepare();

    for (auto sample : renderOnes ({ 256, 256 }))
        ASSERT_EQ (sample, 1.0f);
}

TEST_F (PluginProcessorTest, ReleaseThenPrepareFadesInLikeARepeatedPreparation)
{
    prepare();
    prepare();
    processor.releaseResources();
    prepare();
    consumeGainRamp();
    expectFadeIn (renderOnes ({ 256, 256, 256, 256, 256, 256, 256 }), 2);
}

TEST_F (PluginProcessorTest, AfterTheFadeTheOutputIsTheChainOutputBitForBit)
{
    prepare();
    settle();

    const auto input = test::makeNoise (2, blockSize, 0.8f, 7);
    const auto output = process (input);

    for (int channel = 0; channel < 2; ++channel)
        for (int k = 0; k < blockSize; ++k)
            ASSERT_EQ (output.getSample (channel, k), input.getSample (channel, k));
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

TEST_F (PluginProcessorTest, LongHostBlockProcessesOnlyThePreparedSamples)
{
    processor.getApvtsManager().setValue (masterGainParameterID, -48.0f);
    prepare();
    settle();

    const auto output = process (test::makeConstant (2, blockSize * 2, 1.0f));

    EXPECT_EQ (output.getMagnitude (0, blockSize), 0.0f);
    EXPECT_EQ (output.getSample (0, blockSize), 1.0f);
    EXPECT_EQ (output.getSample (1, 2 * blockSize - 1), 1.0f);

    const auto shortOutput = process (test::makeConstant (2, 17, 1.0f));
    EXPECT_EQ (shortOutput.getMagnitude (0, 17), 0.0f);
}

TEST_F (PluginProcessorTest, MonoInputClearsTheSecondHostChannelAndFeedsBothSides)
{
    ASSERT_TRUE (processor.setBusesLayout (makeBusesLayout (1, 2)));
    prepare();
    settle();

    auto input = test::makeNoise (2, blockSize, 0.5f, 3);
    const auto output = process (input);

    for (int k = 0; k < blockSize; ++k)
    {
        ASSERT_EQ (output.getSample (0, k), input.getSample (0, k));
        ASSERT_EQ (output.getSample (1, k), input.getSample (0, k));
    }

    // Beyond the prepared size the wrapper's samples stay, with the unused output channel silenced.
    const auto longOutput = process (test::makeConstant (2, blockSize + 8, 1.0f));
    EXPECT_EQ (longOutput.getSample (0, blockSize + 3), 1.0f);
    EXPECT_EQ (longOutput.getSample (1, blockSize + 3), 0.0f);
}

TEST_F (PluginProcessorTest, ReportsTheHostSettingsThroughItsAudioStateInterface)
{
    IAudioStateProvider& provider = processor;
    EXPECT_EQ (provider.getSampleRate(), 0.0);

    processor.setRateAndBufferSizeDetails (44100.0, 512);
    processor.prepareToPlay (44100.0, 512);
    EXPECT_EQ (provider.getSampleRate(), 44100.0);
    EXPECT_EQ (provider.getBlockSize(), 512);
}
