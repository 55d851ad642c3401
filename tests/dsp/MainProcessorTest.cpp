#include "dsp/BinauralProcessor.h"
#include "dsp/MainProcessor.h"
#include "interfaces/IProcessorStateProvider.h"
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

TEST_F (MainProcessorTest, SteersTheGainAndTheBinauralStageFromTheParametersEveryBlock)
{
    // With "ZEM On" off and settled, the chain passes the gained input (-20 dB, then +6 dB) and the scope shows
    // the output.
    parameters.gainDb = -20.0f;
    prepare (2);
    settle();

    auto quiet = test::makeConstant (2, blockSize, 0.25f);
    main.processBlock (quiet, midi);
    EXPECT_NEAR (quiet.getSample (0, 5), 0.025f, 1.0e-7f);

    parameters.gainDb = 6.0f;
    settle();
    auto loud = test::makeConstant (2, blockSize, 0.25f);
    main.processBlock (loud, midi);
    EXPECT_NEAR (loud.getSample (0, 5), 0.4988156f, 1.0e-6f);
    EXPECT_EQ (main.getProcessingGraph().binauralProcessor->getScopeBuffer().getSample (3, 7), loud.getSample (1, 7));

    parameters.zemOn = true;
    settle();
    auto rendered = test::makeConstant (2, blockSize, 0.25f);
    main.processBlock (rendered, midi);
    EXPECT_GT (std::abs (rendered.getSample (0, 5) - loud.getSample (0, 5)), 1.0e-3f) << "no longer the dry input";
}

TEST_F (MainProcessorTest, PreparingAgainKeepsTheGainReachedInsteadOfRampingFromSilence)
{
    parameters.gainDb = -6.0f;
    prepare (2);
    settle();

    auto firstSampleAfterPreparingAt = [&] (double rate) {
        main.prepareToPlay (rate, blockSize);
        auto block = test::makeConstant (2, blockSize, 1.0f);
        main.processBlock (block, midi);
        return block.getSample (0, 0);
    };

    EXPECT_NEAR (firstSampleAfterPreparingAt (48000.0), 0.5011872f, 1.0e-6f);
    main.releaseResources();
    EXPECT_NEAR (firstSampleAfterPreparingAt (96000.0), 0.5011872f, 1.0e-6f) << "after a release, at another rate";
}

TEST_F (MainProcessorTest, ReleasedItPassesSilenceUntilPreparedAgain)
{
    prepare (2);
    settle();
    main.releaseResources();

    auto block = test::makeNoise (2, blockSize, 0.5f);
    main.processBlock (block, midi);
    EXPECT_EQ (block.getMagnitude (0, blockSize), 0.0f) << "a block after the release sounds";

    prepare (2);
    block = test::makeNoise (2, blockSize, 0.5f);
    main.processBlock (block, midi);
    EXPECT_GT (block.getMagnitude (0, blockSize), 0.1f) << "prepared again, the chain stays silent";
}
