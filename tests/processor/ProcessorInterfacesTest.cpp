#include "dsp/MainProcessor.h"
#include "processor/AudioPluginAudioProcessor.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

using namespace corvane;

TEST (ProcessorInterfaces, LevelsFollowTheInputAndTheClippedOutput)
{
    AudioPluginAudioProcessor processor;
    ASSERT_TRUE (processor.setBusesLayout (makeBusesLayout (1, 2)));
    processor.getApvtsManager().setBoolValue ("ZEM On", false);
    processor.getApvtsManager().setValue ("Master Gain", 12.0f);
    processor.prepareToPlay (48000.0, 480);

    IOLevelProviderInterface& levels = processor;
    juce::Array<float> input, output;
    levels.getInputLevels (input);
    levels.getOutputLevels (output);
    EXPECT_EQ (input.size(), 1);
    EXPECT_EQ (output.size(), 2);

    // 200 ms of a constant 1.5: the gain doubles it and the clip holds it at 2.0.
    juce::MidiBuffer midi;
    for (int block = 0; block < 20; ++block)
    {
        auto buffer = test::makeConstant (2, 480, 1.5f);
        processor.processBlock (buffer, midi);
    }

    // The analysers are fed on the audio thread and analysed on the message thread's 60 Hz timer; the first tick
    // after the blocks measures them, and the levels then stand for the hold time.
    const auto deadline = juce::Time::getMillisecondCounter() + 30000;

    do
    {
        test::pumpMessages (1);
        levels.getInputPeakLevels (input);
        levels.getOutputPeakLevels (output);
    } while (input[0] == 0.0f && juce::Time::getMillisecondCounter() < deadline);

    ASSERT_EQ (input.size(), 1);
    ASSERT_EQ (output.size(), 2);
    EXPECT_FLOAT_EQ (input[0], 1.5f);
    EXPECT_FLOAT_EQ (output[0], 2.0f);
    EXPECT_FLOAT_EQ (output[1], 2.0f);
}

TEST (ProcessorInterfaces, EachPreparationGivesTheScopeANewEmptyRing)
{
    // How the ring counts, refuses and skips is the ring's own test; here, that the processor feeds and renews it.
    AudioPluginAudioProcessor processor;
    IAudioSampleProvider& scope = processor;
    EXPECT_EQ (scope.getNumReady(), 0);

    processor.prepareToPlay (48000.0, 256);
    auto buffer = test::makeNoise (2, 256, 0.5f);
    juce::MidiBuffer midi;
    processor.processBlock (buffer, midi);
    EXPECT_EQ (scope.getNumReady(), 256);

    processor.prepareToPlay (48000.0, 256);
    EXPECT_EQ (scope.getNumReady(), 0);
}
