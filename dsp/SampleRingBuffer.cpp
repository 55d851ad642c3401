#include "dsp/SampleRingBuffer.h"

#include <algorithm>

namespace corvane
{
SampleRingBuffer::SampleRingBuffer (int numChannelsToUse, int capacityToUse)
    : channels ((size_t) juce::jmax (0, numChannelsToUse),
                std::vector<float> ((size_t) juce::jmax (0, capacityToUse) + 1, 0.0f))
    , capacity (juce::jmax (0, capacityToUse))
    , storageLength (capacity + 1)
    , numChannels (juce::jmax (0, numChannelsToUse))
{
    jassert (numChannelsToUse >= 0 && capacityToUse >= 0);
}

int SampleRingBuffer::readyBetween (int readPos, int writePos) const noexcept
{
    return readPos <= writePos ? writePos - readPos : storageLength - readPos + writePos;
}

int SampleRingBuffer::getNumReady() const noexcept
{
    return readyBetween (readIndex.load(), writeIndex.load());
}

bool SampleRingBuffer::write (const juce::AudioBuffer<float>& source, int startSample) noexcept
{
    const auto numToWrite = source.getNumSamples() - startSample;

    if (numToWrite < 0)
    {
        jassertfalse;
        return false;
    }

    const auto readPos = readIndex.load();
    const auto writePos = writeIndex.load();

    // A source without all the ring's channels (a chain not yet prepared has an empty scope buffer) is refused
    // rather than read beyond its channel list.
    if (numToWrite > capacity - readyBetween (readPos, writePos) || source.getNumChannels() < numChannels)
        return false;

    const auto first = std::min (numToWrite, storageLength - writePos);
    const auto second = numToWrite - first;

    for (int c = 0; c < numChannels; ++c)
    {
        const auto* src = source.getReadPointer (c) + startSample;
        auto* dest = channels[(size_t) c].data();
        std::copy (src, src + first, dest + writePos);
        std::copy (src + first, src + first + second, dest);
    }

    // Publishing the index last is what lets the reader trust every position below it.
    writeIndex.store ((writePos + numToWrite) % storageLength);
    return true;
}

bool SampleRingBuffer::read (juce::AudioBuffer<float>& destination, int startSample) noexcept
{
    const auto numToRead = destination.getNumSamples() - startSample;

    if (numToRead < 0)
    {
        jassertfalse;
        return false;
    }

    const auto readPos = readIndex.load();
    const auto writePos = writeIndex.load();

    if (numToRead > readyBetween (readPos, writePos) || destination.getNumChannels() < numChannels)
        return false;

    const auto first = std::min (numToRead, storageLength - readPos);
    const auto second = numToRead - first;

    for (int c = 0; c < numChannels; ++c)
    {
        const auto* src = channels[(size_t) c].data();
        // Taking the write pointer marks the buffer as holding data, even for an empty read.
        auto* dest = destination.getWritePointer (c) + startSample;
        std::copy (src + readPos, src + readPos + first, dest);
        std::copy (src, src + second, dest + first);
    }

    // Only now may the writer reuse these positions.
    readIndex.store ((readPos + numToRead) % storageLength);
    return true;
}

void SampleRingBuffer::skip (int numSamples) noexcept
{
    const auto readPos = readIndex.load();
    const auto toSkip = juce::jlimit (0, readyBetween (readPos, writeIndex.load()), numSamples);
    readIndex.store ((readPos + toSkip) % storageLength);
}
} // namespace corvane
