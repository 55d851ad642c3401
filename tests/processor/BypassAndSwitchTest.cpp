#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 256;

/** Runs past the gain node's first ramp, the output fade-in and any "ZEM On" crossfade. */
void settle (AudioPluginAudioProcessor& processor)
{
    juce::MidiBuffer midi;
    juce::AudioBuffer<float> silence (2, blockSize);

    for (int done = 0; done < 6000; done += blockSize)
    {
        silence.clear();
        processor.processBlock (silence, midi);
    }
}
} // namespace

TEST (ZemOnSwitch, RendersOnExactlyWhenItsTextSaysOn)
{
    struct Case
    {
        float hostValue;
        bool on;
    };

    for (auto c : { Case { 0.0f, false }, Case { 0.3f, false }, Case { 0.49f, false },
                    Case { 0.5f, true }, Case { 0.7f, true }, Case { 1.0f, true } })
    {
        AudioPluginAudioProcessor processor;
        processor.getApvtsManager().getApvts().getParameter (zemOnParameterID)->setValueNotifyingHost (c.hostValue);
        processor.prepareToPlay (sampleRate, blockSize);
        settle (processor);

        EXPECT_EQ (processor.getApvtsManager().getText (zemOnParameterID), c.on ? "On" : "Off") << c.hostValue;

        // Off, the chain at 0 dB passes the input untouched; on, the binaural paths change every sample.
        const auto input = test::makeNoise (2, blockSize, 0.25f, 7);
        auto output = input;
        juce::MidiBuffer midi;
        processor.processBlock (output, midi);

        int unchanged = 0;
        for (int k = 0; k < blockSize; ++k)
            unchanged += output.getSample (0, k) == input.getSample (0, k) ? 1 : 0;

        EXPECT_EQ (unchanged, c.on ? 0 : blockSize) << c.hostValue;
    }
}

TEST (HostBypass, PassesTheInputAndSpreadsAMonoInputOverBothSides)
{
    struct Case
    {
        int numInputs;
        int numSamples;
    };

    for (auto c : { Case { 1, blockSize }, Case { 1, 100 }, Case { 1, 2 * blockSize }, Case { 2, blockSize } })
    {
        AudioPluginAudioProcessor processor;
        ASSERT_TRUE (processor.setBusesLayout (makeBusesLayout (c.numInputs, 2)));
        processor.prepareToPlay (sampleRate, blockSize);

        // The wrapper leaves whatever it likes in an output channel that has no input.
        const auto input = test::makeNoise (2, c.numSamples, 0.5f, 11);
        auto output = input;
        juce::MidiBuffer midi;
        processor.processBlockBypassed (output, midi);

        for (int channel = 0; channel < 2; ++channel)
            for (int k = 0; k < c.numSamples; ++k)
                ASSERT_EQ (output.getSample (channel, k), input.getSample (c.numInputs == 1 ? 0 : channel, k))
                    << c.numInputs << " inputs, " << c.numSamples << " samples, channel " << channel;
    }
}
