#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

namespace corvane
{

/** Writes 32-bit float broadcast-wave files in one fixed chunk order: RIFF/WAVE, JUNK (28),
    fmt (16), fact, bext (602, only date, time and version set), data. The embedded responses
    must match this layout byte for byte, which juce::WavAudioFormatWriter does not produce.
*/
class BroadcastWaveWriter
{
public:
    static constexpr int junkSize = 28;
    static constexpr int bextSize = 602;

    /** date as "yyyy-mm-dd", time as "hh:mm:ss". */
    static juce::MemoryBlock createFile (const juce::AudioBuffer<float>& audio, int sampleRate,
                                         const juce::String& originationDate, const juce::String& originationTime);

    static bool writeFile (const juce::File& file, const juce::AudioBuffer<float>& audio, int sampleRate,
                           const juce::String& originationDate, const juce::String& originationTime);
};

} // namespace corvane
