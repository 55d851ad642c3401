#include "dsp/LevelAnalyzer.h"

#include <cmath>
#include <thread>

namespace corvane
{
LevelAnalyzer::ChannelFifo::ChannelFifo (int windowSize)
    : buffer (1, windowSize),
      fifo (windowSize)
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
        fresh.add (new ChannelFifo (windowSamples));

    juce::Array<float> freshLevels;
    freshLevels.insertMultiple (0, 0.0f, juce::jmax (0, numChannels));

    {
        const ScopedRebuild rebuild (*this);
        channelFifos.swapWith (fresh);
        peakLevels.swapWith (freshLevels);
    }
}

void LevelAnalyzer::prepare (double sampleRate, juce::int64 windowLengthMs, juce::int64 holdMs)
{
    const juce::ScopedLock sl (lock);
    const ScopedRebuild rebuild (*this);

    // An AbstractFifo of size 1 holds nothing, so a window keeps at least two samples.
    windowSamples = juce::jmax (2, juce::roundToInt ((double) windowLengthMs * sampleRate * 0.001));
    holdTimeMs = holdMs;

    for (auto* channel : channelFifos)
    {
        channel->fifo.setTotalSize (windowSamples);

        if (channel->buffer.getNumChannels() != 1 || channel->buffer.getNumSamples() != windowSamples)
            channel->buffer.setSize (1, windowSamples);

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

    const auto now = juce::Time::currentTimeMillis();
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
        analyse (fullWindow);
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
    const auto numChannels = channelFifos.size();
    juce::AudioBuffer<float> scratch (numChannels, numSamples);
    scratch.clear();

    for (int c = 0; c < numChannels; ++c)
    {
        auto& channel = *channelFifos.getUnchecked (c);
        int start1, size1, start2, size2;
        channel.fifo.prepareToRead (numSamples, start1, size1, start2, size2);

        const auto* src = channel.buffer.getReadPointer (0);
        auto* dest = scratch.getWritePointer (c);
        juce::FloatVectorOperations::copy (dest, src + start1, size1);
        juce::FloatVectorOperations::copy (dest + size1, src + start2, size2);

        channel.fifo.finishedRead (size1 + size2);
    }

    for (int c = 0; c < numChannels; ++c)
    {
        const auto range = numSamples > 0 ? scratch.findMinMax (c, 0, numSamples) : juce::Range<float>();
        peakLevels.set (c, juce::jmax (std::abs (range.getStart()), std::abs (range.getEnd())));
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

int LevelAnalyzer::getNumReady (int channel) const
{
    const juce::ScopedLock sl (lock);

    if (auto* fifo = channelFifos[channel])
        return fifo->fifo.getNumReady();

    return 0;
}
} // namespace corvane
