#pragma once

#include "dsp/SampleRingBuffer.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace corvane
{
/** Owns the current SampleRingBuffer and lets one thread replace it while the reader (the scope's OpenGL thread)
    may be inside getNumReady(), read() or skip().

    How a replacement stays safe, without a lock or a wait on the audio thread or the reader:

    - Every call that touches the ring first increments usersInside, then loads the current ring pointer, uses
      it, and decrements usersInside when it is done. The ring is never reached outside such a bracket.
    - replace() builds the new ring first (all allocation happens here, on the preparing thread), swaps it in
      with one atomic exchange, and only then waits until usersInside reads 0 before it destroys the old ring.
      All these operations are sequentially consistent, so there is a single order in which either a caller's
      increment comes after the exchange (it loads, and so uses, only the new ring) or the replacing thread sees
      that caller as inside and waits for it to leave. A destroyed ring is therefore never touched. Between reader
      calls usersInside drops to 0, so the wait ends within one reader call, a few microseconds.
    - The reader's three calls are separate brackets, so a count from getNumReady() on the old ring can reach
      skip() or read() on the new one. The new ring is protected by its own checks: skip() never moves past the
      write index and read() is all or nothing, so such a frame skips at most what the new ring holds and reads
      either nothing or samples that were written to the new ring; its indices stay consistent.
    - The writer takes the same bracket. The host never processes a block while it prepares, so in practice it
      never delays a replacement; if one ever did overlap, the block would land in the old ring, which lives
      until the writer has left, and be lost with it.

    The writer and the reader only do atomic increments, decrements and loads here: they never lock, wait or
    allocate. Only the replacing thread waits. */
class SampleRingHolder
{
public:
    SampleRingHolder (int numChannels, int capacity);

    /** The owner must make sure no reader or writer call is running any more (the scope is detached first). */
    ~SampleRingHolder();

    /** Preparing thread: installs a new empty ring, then destroys the old one once no call is using it. */
    void replace (int numChannels, int capacity);

    /** Audio thread: stores the whole block from startSample on, or nothing when the ring lacks the room. */
    bool write (const juce::AudioBuffer<float>& source, int startSample) noexcept;

    /** Reader thread. */
    int getNumReady() const noexcept;

    /** Reader thread: fills the whole destination from startSample on, or nothing when fewer samples are ready. */
    bool read (juce::AudioBuffer<float>& destination, int startSample = 0) noexcept;

    /** Reader thread: drops the oldest numSamples, never more than the current ring holds. */
    void skip (int numSamples) noexcept;

    /** The capacity that holds one second of audio at this sample rate. */
    static int capacityFor (double sampleRate) noexcept { return (int) sampleRate; }

    /** The current ring's capacity; any thread. */
    int getCapacity() const noexcept;

private:
    /** Keeps the current ring alive for the length of one call. */
    class ScopedUse
    {
    public:
        explicit ScopedUse (const SampleRingHolder& holderToUse) noexcept;
        ~ScopedUse() noexcept;

        SampleRingBuffer& ring() const noexcept { return *current; }

    private:
        const SampleRingHolder& holder;
        SampleRingBuffer* current;

        JUCE_DECLARE_NON_COPYABLE (ScopedUse)
    };

    mutable std::atomic<int> usersInside { 0 };
    std::atomic<SampleRingBuffer*> currentRing { nullptr };
    std::mutex replaceMutex;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SampleRingHolder)
};
} // namespace corvane
