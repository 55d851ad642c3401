#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <atomic>
#include <vector>

namespace corvane
{
/** A single-producer, single-consumer ring of multichannel audio that moves whole blocks from the audio thread
    to a reader thread without locks or waiting. Blocks go in and come out whole or not at all; one storage
    position per channel always stays empty so that a full ring and an empty one differ.

    The producer calls write(), the consumer getNumReady(), read() and skip(). Each index is stored only by its
    own side and published after the samples it covers are complete. Replacing a ring while a reader may still be
    using it is SampleRingHolder's job, not this class's. */
class SampleRingBuffer
{
public:
    /** Allocates all storage: numChannels channels of capacity + 1 zero samples. */
    SampleRingBuffer (int numChannels, int capacity);

    /** Samples ready per channel. */
    int getNumReady() const noexcept;

    /** Producer only. Copies the source's channels from startSample to its end, or nothing at all when they do not
        fit; the source needs at least as many channels as the ring. */
    bool write (const juce::AudioBuffer<float>& source, int startSample) noexcept;

    /** Consumer only. Fills the destination from startSample to its end, or leaves it and the ring untouched when
        fewer samples are ready; the destination needs at least as many channels as the ring. */
    bool read (juce::AudioBuffer<float>& destination, int startSample) noexcept;

    /** Consumer only. Drops up to numSamples of the oldest samples; it never moves past what has been written, so
        a count that was taken from another ring cannot make this one report samples it never received. */
    void skip (int numSamples) noexcept;

    int getCapacity() const noexcept { return capacity; }
    int getNumChannels() const noexcept { return numChannels; }

private:
    int readyBetween (int readPos, int writePos) const noexcept;

    std::vector<std::vector<float>> channels;
    int capacity;
    int storageLength;
    int numChannels;
    std::atomic<int> readIndex { 0 };
    std::atomic<int> writeIndex { 0 };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SampleRingBuffer)
};
} // namespace corvane
