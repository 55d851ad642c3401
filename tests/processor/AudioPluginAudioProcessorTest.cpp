#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"
#include "support/TestSignals.h"

#include "support/BusLayouts.h"

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

/** Runs the processor beside a second chain that reads the same parameters but has no output stage, with the
    same blocks, and checks that the processor's output is the chain's, scaled by the fade-in. */
class FadeInTest : public testing::Test
{
protected:
    static constexpr double sampleRate = 48000.0;
    static constexpr int blockSize = 256;

    FadeInTest() { chain.enableAllBuses(); }

    void prepareBoth()
    {
        processor.prepareToPlay (sampleRate, blockSize);
        chain.setBusesLayout (makeBusesLayout (2, 2));
        chain.prepareToPlay (sampleRate, blockSize);
    }

    /** Both sets of convolution engines load their responses in the background; once loaded, both switch over
        at their first block, so the two chains compute the same samples. */
    static void letTheResponsesLoad() { juce::Thread::sleep (500); }

    /** Processes blocks of the given sizes through both and returns the gain that the output stage applied to
        each sample, after checking that it is the same on both channels. */
    std::vector<float> appliedGains (std::initializer_list<int> blockSizes)
    {
        std::vector<float> gains;
        juce::int64 seed = 1;

        for (auto size : blockSizes)
        {
            auto viaProcessor = test::makeNoise (2, size, 0.25f, seed++);
            auto viaChain = viaProcessor;
            processor.processBlock (viaProcessor, midi);
            chain.processBlock (viaChain, midi);

            for (int k = 0; k < size; ++k)
            {
                const auto reference = viaChain.getSample (0, k);
                // A silent chain sample says nothing about the gain applied to it.
                const auto gain = reference != 0.0f ? viaProcessor.getSample (0, k) / reference : unknownGain;
                EXPECT_NEAR (viaProcessor.getSample (1, k), viaChain.getSample (1, k) * gain, 1.0e-7f);
                gains.push_back (gain);
            }
        }

        return gains;
    }

    AudioPluginAudioProcessor processor;
    MainProcessor chain { &processor.getApvtsManager() };
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
    prepareBoth();
    letTheResponsesLoad();
    expectFadeIn (appliedGains ({ 1, 255, 7, 256, 100, 256, 256, 200, 64, 256, 256 }));
}

TEST_F (FadeInTest, TwoPreparationsInARowStillFadeIn)
{
    processor.prepareToPlay (sampleRate, blockSize);
    prepareBoth();
    letTheResponsesLoad();
    expectFadeIn (appliedGains ({ 256, 256, 256, 256, 256, 256, 256 }));
}

TEST_F (FadeInTest, ReleaseThenPrepareFadesInLikeARepeatedPreparation)
{
    prepareBoth();
    letTheResponsesLoad();
    processor.releaseResources();
    chain.releaseResources();
    prepareBoth();
    letTheResponsesLoad();
    expectFadeIn (appliedGains ({ 256, 256, 256, 256, 256, 256, 256 }));
}

TEST_F (FadeInTest, OnePreparationAfterPlaybackKeepsFullLevel)
{
    prepareBoth();
    letTheResponsesLoad();
    appliedGains ({ 256, 256, 256, 256, 256, 256, 256 });

    processor.prepareToPlay (sampleRate, blockSize);
    chain.prepareToPlay (sampleRate, blockSize);

    for (auto gain : appliedGains ({ 256, 100, 256 }))
        ASSERT_EQ (gain, 1.0f);
}

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
