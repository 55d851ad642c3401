#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

namespace corvane::test
{
/** Gives the message thread time to run what was posted to it, as a host's event loop would. */
void pumpMessages (int milliseconds);

/** A buffer filled with a deterministic pseudo-random signal in -amplitude .. +amplitude. */
juce::AudioBuffer<float> makeNoise (int numChannels, int numSamples, float amplitude, juce::int64 seed = 1);

/** A buffer of the given size with every sample set to value. */
juce::AudioBuffer<float> makeConstant (int numChannels, int numSamples, float value);
} // namespace corvane::test
