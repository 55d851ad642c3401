#pragma once

#include <juce_core/juce_core.h>

namespace corvane
{
/** Per-channel linear peak levels of the signal entering and leaving the chain. Each call replaces the
    whole content of the caller's array with one element per analysed channel. */
class IOLevelProviderInterface
{
public:
    virtual ~IOLevelProviderInterface() = default;

    virtual void getInputPeakLevels (juce::Array<float>& levels) = 0;
    virtual void getOutputPeakLevels (juce::Array<float>& levels) = 0;
    virtual void getInputLevels (juce::Array<float>& levels) = 0;
    virtual void getOutputLevels (juce::Array<float>& levels) = 0;
};
} // namespace corvane
