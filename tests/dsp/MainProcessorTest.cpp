#include "dsp/BinauralProcessor.h"
#include "dsp/GainProcessor.h"
#include "dsp/MainProcessor.h"
#include "processor/AudioPluginAudioProcessor.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{
/** A parameter provider that answers with fixed values, so the chain can be driven without a plug-in. */
struct FixedParameters : IProcessorStateProvider
{
    float gainDb = 0.0f;
    bool zemOn = false;

    float getValue (juce::String id) override { return id == "Master Gain" ? gainDb : (zemOn ? 1.0f : 0.0f); }
    int getIntValue (juce::String id) override { return juce::roundToInt (getValue (id)); }
    float getNormalisedValue (juce::String id) override { return getValue (id); }
    juce::String getText (juce::String) override { return {}; }
    float getDefaultValue (juce::String) override { return 0.0f; }
    bool getBoolValue (juce::String) override { return zemOn; }
    void addParameterListener (juce::StringRef, juce::AudioProcessorValueTreeState::Listener*) override {}
    void removeParameterListener (juce::StringRef, juce::AudioProcessorValueTreeState::Listener*) override {}
};

class MainProcessorTest : public testing::Test
{
protected:
    static constexpr int blockSize = 128;

    void prepare (int numInputs)
    {
        main.enableAllBuses();
        main.setBusesLayout (makeBusesLayout (numInputs, 2));
        main.prepareToPlay (48000.0, blockSize);
    }

    /** Runs past the gain node's first ramp and the 50 ms crossfade to the dry path; with "ZEM On" off the
        chain is then the master gain alone. */
    void settle()
    {
        juce::AudioBuffer<float> warmUp (2, blockSize);

        for (int done = 0; done < 4800; done += blockSize)
        {
            warmUp.clear();
            main.processBlock (warmUp, midi);
        }
    }

    FixedParameters parameters;
    MainProcessor main { &parameters };
    juce::MidiBuffer midi;
};
} // namespace

TEST (ProcessingGraph, BusesLayoutHasCanonicalSets)
{
    const auto mono = makeBusesLayout (1, 2);
    ASSERT_EQ (mono.inputBuses.size(), 1);
    ASSERT_EQ (mono.outputBuses.size(), 1);
    EXPECT_EQ (mono.getMainInputChannelSet(), juce::AudioChannelSet::mono());
    EXPECT_EQ (mono.getMainOutputChannelSet(), juce::AudioChannelSet::stereo());
}

TEST (ProcessingGraph, ChainsInputGainBinauralOutputOnTwoChannels)
{
    auto graph = createProcessingGraph (44100.0, 256);

    ASSERT_NE (graph->inputNode, nullptr);
    ASSERT_NE (graph->gainProcessor, nullptr);
    ASSERT_NE (graph->binauralProcessor, nullptr);
    ASSERT_NE (graph->outputNode, nullptr);

    auto nodeIdOf = [&] (juce::AudioProcessor* processor)
    {
        for (auto* node : graph->graph.getNodes())
            if (node->getProcessor() == processor)
                return node->nodeID;
        return juce::AudioProcessorGraph::NodeID();
    };

    const auto input = nodeIdOf (graph->inputNode);
    const auto gain = nodeIdOf (graph->gainProcessor);
    const auto binaural = nodeIdOf (graph->binauralProcessor);
    const auto output = nodeIdOf (graph->outputNode);

    for (int channel = 0; channel < 2; ++channel)
    {
        EXPECT_TRUE (graph->graph.isConnected ({ { input, channel }, { gain, channel } }));
        EXPECT_TRUE (graph->graph.isConnected ({ { gain, channel }, { binaural, channel } }));
        EXPECT_TRUE (graph->graph.isConnected ({ { binaural, channel }, { output, channel } }));
    }

    EXPECT_EQ (graph->graph.getConnections().size(), 6u);
    EXPECT_EQ (graph->gainProcessor->getName(), "Gain");
}

TEST_F (MainProcessorTest, SteersTheGainAndTheBinauralStageFromTheParametersEveryBlock)
{
    parameters.gainDb = -20.0f;
    parameters.zemOn = true;
    prepare (2);

    auto& gain = *main.getProcessingGraph().gainProcessor;
    EXPECT_EQ (gain.getPreviousGain(), 0.0f); // the first block ramps up from silence

    auto buffer = test::makeConstant (2, blockSize, 1.0f);
    main.processBlock (buffer, midi);
    EXPECT_EQ (gain.getTargetGain(), masterGainFactor (-20.0f));
    EXPECT_EQ (gain.getPreviousGain(), masterGainFactor (-20.0f));

    parameters.gainDb = 6.0f;
    parameters.zemOn = false;
    settle();
    EXPECT_EQ (gain.getPreviousGain(), masterGainFactor (6.0f));

    // Bypassed and settled, the chain passes the gained input and the scope shows the output.
    auto steady = test::makeConstant (2, blockSize, 0.25f);
    main.processBlock (steady, midi);
    EXPECT_EQ (steady.getSample (0, 5), 0.25f * masterGainFactor (6.0f));
    EXPECT_EQ (main.getProcessingGraph().binauralProcessor->getScopeBuffer().getSample (3, 7), steady.getSample (1, 7));
}

TEST_F (MainProcessorTest, MutesAtTheBottomOfTheRangeWhetherZemIsOnOrOff)
{
    parameters.gainDb = -47.99f;
    prepare (2);

    for (auto zemOn : { true, false })
    {
        parameters.zemOn = zemOn;
        auto buffer = test::makeNoise (2, blockSize, 1.0f);
        main.processBlock (buffer, midi);

        EXPECT_EQ (buffer.getMagnitude (0, blockSize), 0.0f);
    }
}

TEST_F (MainProcessorTest, MonoInputFeedsBothSidesOfTheChain)
{
    prepare (1);
    settle();

    auto buffer = test::makeNoise (2, blockSize, 0.5f);
    const auto input = buffer;
    buffer.clear (1, 0, blockSize);
    main.processBlock (buffer, midi);

    for (int k = 0; k < blockSize; ++k)
    {
        ASSERT_EQ (buffer.getSample (0, k), input.getSample (0, k));
        ASSERT_EQ (buffer.getSample (1, k), input.getSample (0, k));
    }
}

TEST_F (MainProcessorTest, MonoInputProcessesOnlyWhatFitsTheScratchBuffer)
{
    prepare (1);
    settle();
    parameters.gainDb = -47.99f;
    settle();

    auto shortBlock = test::makeConstant (2, 100, 1.0f);
    main.processBlock (shortBlock, midi);
    EXPECT_EQ (shortBlock.getMagnitude (0, 100), 0.0f);

    auto longBlock = test::makeConstant (2, blockSize + 32, 1.0f);
    main.processBlock (longBlock, midi);
    EXPECT_EQ (longBlock.getMagnitude (0, blockSize), 0.0f);
    EXPECT_EQ (longBlock.getSample (0, blockSize), 1.0f);
    EXPECT_EQ (longBlock.getSample (1, blockSize + 31), 1.0f);
}

TEST_F (MainProcessorTest, RepeatedPreparationDoesNotPrepareTheNodesAgain)
{
    parameters.gainDb = -6.0f;
    prepare (2);
    settle();

    // Were the gain node prepared again it would restart from its last target, which is what it holds anyway;
    // a changed sample rate must not make the factor jump either.
    main.prepareToPlay (48000.0, blockSize);
    auto same = test::makeConstant (2, blockSize, 1.0f);
    main.processBlock (same, midi);
    EXPECT_NEAR (same.getSample (0, 0), masterGainFactor (-6.0f), 1.0e-7f);

    main.releaseResources();
    main.prepareToPlay (96000.0, blockSize);
    auto afterRelease = test::makeConstant (2, blockSize, 1.0f);
    main.processBlock (afterRelease, midi);
    EXPECT_NEAR (afterRelease.getSample (0, 0), masterGainFactor (-6.0f), 1.0e-7f);
}
