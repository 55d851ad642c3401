#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>
#include <memory>

class Convproc;

namespace corvane::bench
{
/** The peer: zita-convolver running the same 2 x 2 matrix with the same four responses, resampled to the
    processing rate the way juce::dsp::Convolution resamples them. Its smallest partition equals the block,
    or is zita's smallest allowed, 64, for shorter blocks; later partitions run on zita's own worker threads. */
class ZitaPeer
{
public:
    /** Configures and starts the convolver; responseGain scales all four responses. */
    ZitaPeer (double sampleRate, int blockSize, float responseGain = 1.0f);
    ~ZitaPeer();

    /** False if zita refused the configuration or did not start. */
    bool isReady() const noexcept { return ready; }

    /** Convolves a stereo block of exactly the prepared size in place. */
    void process (juce::AudioBuffer<float>& buffer);

    /** By default a block waits for any later partition that is due but not finished, so that every block is
        complete and all the work a block causes is done when it returns, however fast blocks come. Without the
        wait, as under a real-time deadline, a late partition's output is missing from that block. */
    void setWaitsForWorkers (bool shouldWait) noexcept { waitsForWorkers = shouldWait; }

    /** Output lag behind the input, in samples: none while the smallest partition is one block, since zita then
        convolves that partition on the calling thread within the block. A larger smallest partition runs on a
        worker too, is gathered over one partition less a block and read out a partition later. */
    int getLatencySamples() const noexcept
    {
        return minimumPartition == blockSize ? 0 : 2 * minimumPartition - blockSize;
    }

    /** Cycles whose later partitions were not ready in time since the start. */
    int getLateCycles() const noexcept { return lateCycles; }

    /** Channel 0 of each is the left ear; left loudspeaker first. Exactly as the plug-in reads its files:
        the first 32768 frames, then JUCE's resampling to sampleRate. */
    static std::array<juce::AudioBuffer<float>, 2> loadResponses (double sampleRate);

private:
    std::unique_ptr<Convproc> convolver;
    int blockSize;
    int minimumPartition;
    int lateCycles = 0;
    bool waitsForWorkers = true;
    bool ready = false;

    JUCE_DECLARE_NON_COPYABLE (ZitaPeer)
};
} // namespace corvane::bench
