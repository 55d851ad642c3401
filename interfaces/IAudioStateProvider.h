#pragma once

#include <juce_events/juce_events.h>

namespace corvane
{
/** The audio settings that the host gave at its last preparation, for views that size themselves on them. */
class IAudioStateProvider : public juce::ChangeBroadcaster
{
public:
    ~IAudioStateProvider() override = default;

    virtual double getSampleRate() = 0;
    virtual int getBlockSize() = 0;
};
} // namespace corvane
