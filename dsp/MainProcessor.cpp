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
    // Prepared here, on the caller's thread, and never through the graph: off the message thread the graph
    // prepares its nodes later, asynchronously, while the host may already send blocks that run through them.
    // As the graph would, only after a change of settings or a release: hosts prepare again at other times too,
    // and the responses' tails should play on through that.
    const auto settings = std::make_pair (sampleRate, samplesPerBlock);

    if (nodesPreparedFor != settings)
    {
        for (auto* node : graph->processingOrder)
        {
            node->setProcessingPrecision (juce::AudioProcessor::singlePrecision);
            node->setRateAndBufferSizeDetails (sampleRate, samplesPerBlock);
            node->prepareToPlay (sampleRate, samplesPerBlock);
        }

        nodesPreparedFor = settings;
    }

    if (scratchBuffer.getNumChannels() != 2 || scratchBuffer.getNumSamples() != samplesPerBlock)
        scratchBuffer.setSize (2, samplesPerBlock);

    // One second of the four paths; what the old ring held is dropped, also when the rate did not change.
    sampleRing.replace (numScopeChannels, SampleRingHolder::capacityFor (sampleRate));
}

void MainProcessor::releaseResources()
{
    for (auto* node : graph->processingOrder)
        node->releaseResources();

    nodesPreparedFor.reset();
}

void MainProcessor::reset()
{
    for (auto* node : graph->processingOrder)
        node->reset();
}

double MainProcessor::getTailLengthSeconds() const
{
    return graph->binauralProcessor->getTailLengthSeconds();
}

void MainProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    const auto pieceSize = scratchBuffer.getNumSamples();

    // Unprepared, or released and not yet prepared again, the chain passes silence: a host that deactivated the
    // plug-in and still sends a block hears nothing until it activates it again.
    if (pieceSize == 0 || ! nodesPreparedFor.has_value())
    {
        buffer.clear();
        return;
    }

    graph->gainProcessor->setTargetGain (masterGainFactor (parameterProvider->getValue (masterGainParameterID)));
    graph->binauralProcessor->setBypassed (! parameterProvider->getBoolValue (zemOnParameterID));

    for (int start = 0; start < buffer.getNumSamples(); start += pieceSize)
        processPiece (buffer, start, juce::jmin (pieceSize, buffer.getNumSamples() - start), midi);
}

void MainProcessor::processPiece (juce::AudioBuffer<float>& buffer, int start, int numSamples, juce::MidiBuffer& midi)
{
    const auto isMono = getMainBusNumInputChannels() == 1;

    // Views of the host's or the scratch storage: they allocate nothing.
    juce::AudioBuffer<float> piece;

    if (isMono)
    {
        scratchBuffer.copyFrom (0, 0, buffer, 0, start, numSamples);
        scratchBuffer.copyFrom (1, 0, buffer, 0, start, numSamples);
        piece.setDataToReferTo (scratchBuffer.getArrayOfWritePointers(), 2, 0, numSamples);
    }
    else
    {
        piece.setDataToReferTo (buffer.getArrayOfWritePointers(), buffer.getNumChannels(), start, numSamples);
    }

    for (auto* node : graph->processingOrder)
        node->processBlock (piece, midi);

    // The scope's clock is the audio's: the ring gets this piece's samples of the paths, not the whole prepared
    // length. A piece that does not fit is dropped whole; the scope catches up with the next one.
    auto& scope = graph->binauralProcessor->getScopeBuffer();
    const juce::AudioBuffer<float> scopeOfPiece (scope.getArrayOfWritePointers(),
                                                 scope.getNumChannels(),
                                                 juce::jmin (numSamples, scope.getNumSamples()));
    sampleRing.write (scopeOfPiece, 0);

    if (isMono)
        for (int channel = 0; channel < juce::jmin (2, buffer.getNumChannels()); ++channel)
            buffer.copyFrom (channel, start, scratchBuffer, channel, 0, numSamples);
}
} // namespace corvane
