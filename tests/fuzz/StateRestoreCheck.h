#pragma once

#include "processor/AudioPluginAudioProcessor.h"

namespace corvane::test
{
/** Hands the bytes to the processor as a host loading a project would, runs the deferred restore on the
    message thread, saves again, and returns a description of the first broken promise (a parameter outside
    its range, a state that no longer saves), or an empty string. */
juce::String restoreAndCheck (AudioPluginAudioProcessor& processor, const void* data, size_t size);
} // namespace corvane::test
