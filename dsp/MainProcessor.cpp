#include "dsp/MainProcessor.h"

#include "dsp/BinauralProcessor.h"
#include "dsp/GainProcessor.h"
#include "interfaces/ParameterIds.h"

namespace corvane
{
MainProcessor::MainProcessor (IProcessorStateProvider* parameterProviderToUse)
    : parameterProvider (parameterProviderToUse)
    , graph (createProcessingGraph (44100.0, 256))
{
    jassert (parameterProvider != nullptr);
}

MainProcessor::~MainProcessor() = default;

void MainProcessor::prepareToPlay (double sampleRate, int samplesPerBlock)
{
    graph->graph.prepareToPlay (sampleRate, samplesPerBlock);

    if (scratchBuffer.getNumChannels() != 2 || scratchBuffer.getNumSamples() != samplesPerBlock)
        scratchBuffer.setSize (2, samplesPerBlock);

    // One second of the four paths; what the old ring held is dropped, also when the rate did not change.
    sampleRing.replace (numScopeChannels, SampleRingHolder::capacityFor (sampleRate));
}

void MainProcessor::releaseResources()
{
    graph->graph.releaseResources();
}

void MainProcessor::reset()
{
    graph->graph.reset();
}

void MainProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    const auto numSamples = juce::jmin (scratchBuffer.getNumSamples(), buffer.getNumSamples());
    const auto isMono = getMainBusNumInputChannels() == 1;

    scratchBuffer.clear();

    // A mono input is rendered from both loudspeakers; the view refers to the scratch storage and allocates nothing.
    juce::AudioBuffer<float> monoView;
    auto* block = &buffer;

    if (isMono)
    {
        scratchBuffer.copyFrom (0, 0, buffer, 0, 0, numSamples);
        scratchBuffer.copyFrom (1, 0, buffer, 0, 0, numSamples);
        monoView.setDataToReferTo (scratchBuffer.getArrayOfWritePointers(), 2, 0, numSamples);
        block = &monoView;
    }

    graph->gainProcessor->setTargetGain (masterGainFactor (parameterProvider->getValue (masterGainParameterID)));
    graph->binauralProcessor->setBypassed (! parameterProvider->getBoolValue (zemOnParameterID));

    graph->graph.processBlock (*block, midi);

    // The scope's clock is the audio's: the ring gets this block's samples of the paths, not the whole prepared
    // length. A block that does not fit is dropped whole; the scope catches up with the next one.
    auto& scope = graph->binauralProcessor->getScopeBuffer();
    const juce::AudioBuffer<float> scopeOfBlock (scope.getArrayOfWritePointers(),
                                                 scope.getNumChannels(),
                                                 juce::jmin (numSamples, scope.getNumSamples()));
    sampleRing.write (scopeOfBlock, 0);

    if (isMono)
        for (int channel = 0; channel < juce::jmin (2, buffer.getNumChannels()); ++channel)
            buffer.copyFrom (channel, 0, scratchBuffer, channel, 0, numSamples);
}
} // namespace corvane
