#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

namespace corvane::bench
{
/** One second of stereo noise, 20 dB below full scale, that timed loops read in block-sized slices, wrapping
    around; the same seed on every side, so every convolver gets the same input. */
class NoiseSource
{
public:
    NoiseSource (double sampleRate, int blockSize);

    /** The next slice, in a buffer that the caller may process in place. */
    juce::AudioBuffer<float>& next();

private:
    juce::AudioBuffer<float> noise;
    juce::AudioBuffer<float> block;
    int position = 0;

    JUCE_DECLARE_NON_COPYABLE (NoiseSource)
};
} // namespace corvane::bench
