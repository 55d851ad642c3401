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

TEST (ProcessorInterfaces, ScopeReadsTheFourPathsOfEveryBlockFromANewRingAfterEachPreparation)
{
    AudioPluginAudioProcessor processor;
    IAudioSampleProvider& scope = processor;
    EXPECT_EQ (scope.getNumReady(), 0);

    processor.prepareToPlay (48000.0, 256);
    juce::MidiBuffer midi;

    for (int block = 0; block < 3; ++block)
    {
        auto buffer = test::makeNoise (2, 256, 0.5f, block + 1);
        processor.processBlock (buffer, midi);
    }

    EXPECT_EQ (scope.getNumReady(), 768);

    juce::AudioBuffer<float> tooMuch (4, 1000);
    EXPECT_FALSE (scope.read (tooMuch));
    EXPECT_EQ (scope.getNumReady(), 768);

    scope.skip (512);
    juce::AudioBuffer<float> newest (4, 256);
    EXPECT_TRUE (scope.read (newest));
    EXPECT_EQ (scope.getNumReady(), 0);

    processor.prepareToPlay (48000.0, 256);
    EXPECT_EQ (scope.getNumReady(), 0);
}
