#pragma once

#include "processor/AudioPluginAudioProcessor.h"

namespace corvane::bench
{
/** The whole plug-in as a host runs it: prepared, with the four responses installed in their engines, the
    engines' switch-over crossfade and the output fade-in behind it, so that every further block costs what a
    block costs for the rest of a session. */
class PreparedPlugin
{
public:
    PreparedPlugin (double sampleRate, int blockSize);

    /** False if the background loader did not hand the responses over within a few seconds. */
    bool isReady() const noexcept { return ready; }

    void process (juce::AudioBuffer<float>& buffer) { processor.processBlock (buffer, midi); }

    AudioPluginAudioProcessor& getProcessor() noexcept { return processor; }

    /** The length every engine's response has at sampleRate once it is installed. */
    static int loadedResponseLength (double sampleRate);

private:
    bool allResponsesInstalled();
    void processSilence (double seconds);

    AudioPluginAudioProcessor processor;
    juce::MidiBuffer midi;
    juce::AudioBuffer<float> silence;
    double sampleRate;
    int blockSize;
    bool ready = false;

    JUCE_DECLARE_NON_COPYABLE (PreparedPlugin)
};
} // namespace corvane::bench
