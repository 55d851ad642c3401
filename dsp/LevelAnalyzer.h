#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_events/juce_events.h>

#include <atomic>
#include <functional>

namespace corvane
{
/** Measures the linear peak level of each channel of an audio stream for the level meters.

    The audio thread only copies each block into one lock-free FIFO per channel (pushSamples). Sixty times a
    second the timer, on the message thread, takes out everything that has arrived once it makes at least one
    window and turns it into one peak amplitude per channel; getPeakLevels() copies those out under the lock.
    Each FIFO holds a window, the largest block and 100 ms more, so a steady stream loses nothing between ticks
    even when the message thread runs late: an over is never missed. The hold runs on a monotonic clock, so
    setting the system clock back cannot freeze the meters.

    Rebuilding the channels (setNumChannels, prepare) is kept apart from both other sides:
    - from the timer and from getPeakLevels() by the lock, which the rebuild holds throughout;
    - from pushSamples() by a gate of two atomics. A push announces itself in pushesInside and then checks
      rebuilding; a rebuild sets rebuilding and then waits until pushesInside is 0. Both use sequentially
      consistent operations, so either the push sees the flag and drops its block without touching a FIFO, or
      the rebuild sees the push and waits the few microseconds it takes to finish. The audio thread never
      waits and never takes the lock; the processor normally rebuilds only while no block runs, so in practice
      no block is ever dropped by the gate. */
class LevelAnalyzer : public juce::Timer
{
public:
    LevelAnalyzer();
    ~LevelAnalyzer() override;

    /** Replaces every channel with a new empty FIFO of the current window and a level of 0; below 1, none. */
    void setNumChannels (int numChannels);

    /** Sets the window from its length at this sample rate and the hold time, sizes every FIFO for blocks of up to
        maximumBlockSize samples, and empties them. */
    void prepare (double sampleRate, juce::int64 windowLengthMs, juce::int64 holdMs, int maximumBlockSize = 0);

    /** Audio thread: stores what fits of each channel's block; never locks, waits or allocates. */
    void pushSamples (const juce::AudioBuffer<float>& buffer) noexcept;

    /** Any thread: the current linear peak level of each channel. */
    void getPeakLevels (juce::Array<float>& levels) const;

    /** Message thread: one tick of the analysis. Public so that tests can drive it without a message loop. */
    void timerCallback() override;

    int getNumChannels() const;
    int getWindowSamples() const;
    juce::int64 getHoldTimeMs() const;

    /** Samples waiting in one channel's FIFO. */
    int getNumReady (int channel) const;

    /** Milliseconds on a clock that only moves forward; tests replace it to step through the hold. */
    using Clock = std::function<juce::int64()>;
    void setClock (Clock newClock);

private:
    struct ChannelFifo
    {
        explicit ChannelFifo (int capacity);

        juce::AudioBuffer<float> buffer;
        juce::AbstractFifo fifo;
    };

    /** Holds a rebuild's exclusion against pushes for as long as it lives; the caller already holds the lock. */
    class ScopedRebuild
    {
    public:
        explicit ScopedRebuild (LevelAnalyzer& owner) noexcept;
        ~ScopedRebuild() noexcept;

    private:
        LevelAnalyzer& analyzer;

        JUCE_DECLARE_NON_COPYABLE (ScopedRebuild)
    };

    void analyse (int numSamples);
    int fifoCapacity() const noexcept { return windowSamples + maximumBlock + extraSamples; }

    juce::Array<float> peakLevels;
    juce::OwnedArray<ChannelFifo> channelFifos;
    int windowSamples = 4096;
    int maximumBlock = 0;
    int extraSamples = 0;
    juce::int64 holdTimeMs = 60;
    juce::int64 elapsedMs = 0;
    juce::int64 lastAnalysisTimeMs = 0;
    juce::CriticalSection lock;
    Clock clock;

    std::atomic<int> pushesInside { 0 };
    std::atomic<bool> rebuilding { false };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LevelAnalyzer)
};
} // namespace corvane
