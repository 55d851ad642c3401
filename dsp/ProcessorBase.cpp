#include "dsp/ProcessorBase.h"

namespace corvane
{
void ProcessorBase::prepareToPlay (double sampleRate, int samplesPerBlock)
{
    juce::ignoreUnused (sampleRate, samplesPerBlock);
}

void ProcessorBase::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    juce::ignoreUnused (buffer, midi);
}
} // namespace corvane
