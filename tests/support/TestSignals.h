#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_events/juce_events.h>

namespace corvane::test
{
/** Gives the message thread time to run what was posted to it, as a host's event loop would. */
void pumpMessages (int milliseconds);

/** Runs the message loop until done() holds, and says whether it did; only a real failure takes the 30 s. */
template <typename Condition>
bool pumpMessagesUntil (Condition&& done)
{
    for (const auto deadline = juce::Time::getMillisecondCounter() + 30000; ! done();)
    {
        if (juce::Time::getMillisecondCounter() > deadline)
            return false;

        juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
    }

    return true;
}

/** A buffer filled with a deterministic pseudo-random signal in -amplitude .. +amplitude. */
juce::AudioBuffer<float> makeNoise (int numChannels, int numSamples, float amplitude, juce::int64 seed = 1);

/** A buffer of the given size with every sample set to value. */
juce::AudioBuffer<float> makeConstant (int numChannels, int numSamples, float value);
} // namespace corvane::test
