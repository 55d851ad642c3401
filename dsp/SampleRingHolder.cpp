#include "dsp/SampleRingHolder.h"

#include <thread>

namespace corvane
{
SampleRingHolder::ScopedUse::ScopedUse (const SampleRingHolder& holderToUse) noexcept
    : holder (holderToUse)
{
    // The increment must come before the load: that is what a replacement relies on.
    holder.usersInside.fetch_add (1);
    current = holder.currentRing.load();
}

SampleRingHolder::ScopedUse::~ScopedUse() noexcept
{
    holder.usersInside.fetch_sub (1);
}

SampleRingHolder::SampleRingHolder (int numChannels, int capacity)
    : currentRing (new SampleRingBuffer (numChannels, capacity))
{
}

SampleRingHolder::~SampleRingHolder()
{
    jassert (usersInside.load() == 0);
    delete currentRing.exchange (nullptr);
}

void SampleRingHolder::replace (int numChannels, int capacity)
{
    auto fresh = std::make_unique<SampleRingBuffer> (numChannels, capacity);

    // Two preparing threads would otherwise wait for each other's callers in an undefined order.
    const std::lock_guard<std::mutex> sl (replaceMutex);

    std::unique_ptr<SampleRingBuffer> old (currentRing.exchange (fresh.release()));

    while (usersInside.load() != 0)
        std::this_thread::yield();
}

bool SampleRingHolder::write (const juce::AudioBuffer<float>& source, int startSample) noexcept
{
    const ScopedUse use (*this);
    return use.ring().write (source, startSample);
}

int SampleRingHolder::getNumReady() const noexcept
{
    const ScopedUse use (*this);
    return use.ring().getNumReady();
}

bool SampleRingHolder::read (juce::AudioBuffer<float>& destination, int startSample) noexcept
{
    const ScopedUse use (*this);
    return use.ring().read (destination, startSample);
}

void SampleRingHolder::skip (int numSamples) noexcept
{
    const ScopedUse use (*this);
    use.ring().skip (numSamples);
}

int SampleRingHolder::getCapacity() const noexcept
{
    const ScopedUse use (*this);
    return use.ring().getCapacity();
}
} // namespace corvane
