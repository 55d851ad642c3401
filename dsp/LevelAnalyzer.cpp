#include "dsp/LevelAnalyzer.h"

#include <chrono>
#include <cmath>
#include <thread>

namespace corvane
{
LevelAnalyzer::ChannelFifo::ChannelFifo (int capacity)
    : buffer (1, capacity)
    , fifo (capacity)
{
    buffer.clear();
}

LevelAnalyzer::ScopedRebuild::ScopedRebuild (LevelAnalyzer& owner) noexcept
    : analyzer (owner)
{
    analyzer.rebuilding.store (true);

    while (analyzer.pushesInside.load() != 0)
        std::this_thread::yield();
}

LevelAnalyzer::ScopedRebuild::~ScopedRebuild() noexcept
{
    analyzer.rebuilding.store (false);
}

LevelAnalyzer::LevelAnalyzer()
    : clock ([] {
        using namespace std::chrono;
        return static_cast<juce::int64> (
            duration_cast<milliseconds> (steady_clock::now().time_since_epoch()).count());
    })
{
    setNumChannels (1);
    startTimerHz (60);
}

LevelAnalyzer::~LevelAnalyzer()
{
    // No tick may find the FIFOs half destroyed.
    stopTimer();
}

void LevelAnalyzer::setNumChannels (int numChannels)
{
    const juce::ScopedLock sl (lock);

    // Built before the gate closes, so that the audio thread drops as little as possible if it ever overlaps.
    juce::OwnedArray<ChannelFifo> fresh;

    for (int c = 0; c < numChannels; ++c)
        fresh.add (new ChannelFifo (fifoCapacity()));

    juce::Array<float> freshLevels;
    freshLevels.insertMultiple (0, 0.0f, juce::jmax (0, numChannels));

    {
        const ScopedRebuild rebuild (*this);
        channelFifos.swapWith (fresh);
        peakLevels.swapWith (freshLevels);
    }
}

void LevelAnalyzer::prepare (double sampleRate, juce::int64 windowLengthMs, juce::int64 holdMs, int maximumBlockSize)
{
    const juce::ScopedLock sl (lock);
    const ScopedRebuild rebuild (*this);

    // An AbstractFifo of size 1 holds nothing, so a window keeps at least two samples.
    windowSamples = juce::jmax (2, juce::roundToInt ((double) windowLengthMs * sampleRate * 0.001));
    holdTimeMs = holdMs;
    maximumBlock = juce::jmax (0, maximumBlockSize);
    // Room for about six late ticks' worth of audio beyond the window and one block.
    extraSamples = juce::jmax (0, juce::roundToInt (sampleRate * 0.1));

    const auto capacity = fifoCapacity();

    for (auto* channel : channelFifos)
    {
        channel->fifo.setTotalSize (capacity);

        if (channel->buffer.getNumChannels() != 1 || channel->buffer.getNumSamples() != capacity)
            channel->buffer.setSize (1, capacity);

        channel->buffer.clear();
    }
}

void LevelAnalyzer::pushSamples (const juce::AudioBuffer<float>& block) noexcept
{
    pushesInside.fetch_add (1);

    if (! rebuilding.load())
    {
        const auto numChannels = juce::jmin (channelFifos.size(), block.getNumChannels());
        const auto numSamples = block.getNumSamples();

        for (int c = 0; c < numChannels; ++c)
        {
            auto& channel = *channelFifos.getUnchecked (c);
            int start1, size1, start2, size2;
            channel.fifo.prepareToWrite (numSamples, start1, size1, start2, size2);

            // Raw copies: AudioBuffer::copyFrom would also touch the buffer's "is clear" flag, which the
            // message thread reads while it drains this FIFO.
            auto* dest = channel.buffer.getWritePointer (0);
            const auto* src = block.getReadPointer (c);
            juce::FloatVectorOperations::copy (dest + start1, src, size1);
            juce::FloatVectorOperations::copy (dest + start2, src + size1, size2);

            channel.fifo.finishedWrite (size1 + size2);
        }
    }

    pushesInside.fetch_sub (1);
}

void LevelAnalyzer::getPeakLevels (juce::Array<float>& levels) const
{
    const juce::ScopedLock sl (lock);
    levels = peakLevels;
}

void LevelAnalyzer::timerCallback()
{
    const juce::ScopedLock sl (lock);

    if (channelFifos.isEmpty())
        return;

    const auto now = clock();
    const auto& firstFifo = channelFifos.getUnchecked (0)->fifo;
    const auto numReady = firstFifo.getNumReady();

    if (numReady == 0 && elapsedMs > holdTimeMs)
    {
        for (auto& level : peakLevels)
            level = 0.0f;

        elapsedMs = 0;
        lastAnalysisTimeMs = now;
        return;
    }

    const auto fullWindow = juce::jmin (windowSamples, firstFifo.getTotalSize() - 1);

    if (numReady >= fullWindow)
    {
        // Everything that has arrived, not just one window of it, so that no peak goes unmeasured.
        analyse (numReady);
    }
    else if (elapsedMs > holdTimeMs)
    {
        // Too long without a full window: show what has arrived rather than a stale level.
        analyse (numReady);
    }
    else
    {
        // The hold is judged against the time recorded here, at an earlier tick.
        elapsedMs = now - lastAnalysisTimeMs;
        return;
    }

    elapsedMs = 0;
    lastAnalysisTimeMs = now;
}

void LevelAnalyzer::analyse (int numSamples)
{
    for (int c = 0; c < channelFifos.size(); ++c)
    {
        auto& channel = *channelFifos.getUnchecked (c);
        int start1, size1, start2, size2;
        channel.fifo.prepareToRead (numSamples, start1, size1, start2, size2);

        // A channel that holds fewer samples than asked counts the rest as silence.
        const auto* samples = channel.buffer.getReadPointer (0);
        auto peak = 0.0f;

        for (const auto& [start, size] : { std::pair { start1, size1 }, std::pair { start2, size2 } })
            if (size > 0)
            {
                const auto range = juce::FloatVectorOperations::findMinAndMax (samples + start, size);
                peak = juce::jmax (peak, std::abs (range.getStart()), std::abs (range.getEnd()));
            }

        channel.fifo.finishedRead (size1 + size2);
        peakLevels.set (c, peak);
    }
}

int LevelAnalyzer::getNumChannels() const
{
    const juce::ScopedLock sl (lock);
    return channelFifos.size();
}

int LevelAnalyzer::getWindowSamples() const
{
    const juce::ScopedLock sl (lock);
    return windowSamples;
}

juce::int64 LevelAnalyzer::getHoldTimeMs() const
{
    const juce::ScopedLock sl (lock);
    return holdTimeMs;
}

void LevelAnalyzer::setClock (Clock newClock)
{
    const juce::ScopedLock sl (lock);
    clock = std::move (newClock);
}

int LevelAnalyzer::getNumReady (int channel) const
{
    const juce::ScopedLock sl (lock);

    if (auto* fifo = channelFifos[channel])
        return fifo->fifo.getNumReady();

    return 0;
}
} // namespace corvane
