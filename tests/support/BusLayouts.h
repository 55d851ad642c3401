#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

namespace corvane::test
{
/** One input and one output bus with any channel sets, including the ones a plug-in must refuse. */
inline juce::AudioProcessor::BusesLayout makeLayout (const juce::AudioChannelSet& input,
                                                     const juce::AudioChannelSet& output)
{
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (input);
    layout.outputBuses.add (output);
    return layout;
}
} // namespace corvane::test
