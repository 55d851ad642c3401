#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

namespace corvane
{
/** The scope's single reader side of the four-channel sample ring. */
class IAudioSampleProvider
{
public:
    virtual ~IAudioSampleProvider() = default;

    virtual int getNumReady() = 0;

    /** Fills the whole buffer and returns true, or reads nothing and returns false when fewer samples are ready. */
    virtual bool read (juce::AudioBuffer<float>& destination) = 0;

    virtual void skip (int numSamples) = 0;
};
} // namespace corvane
