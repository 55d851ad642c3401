#include "PreparedPlugin.h"

#include "dsp/BinauralProcessor.h"

namespace corvane::bench
{
namespace
{
    constexpr double embeddedResponseRate = 192000.0;

    // The engines crossfade from the pass-through to the response over 50 ms and the output fades in over
    // 30 ms; both would make the first blocks dearer than the rest.
    constexpr double settleSeconds = 0.1;
} // namespace

PreparedPlugin::PreparedPlugin (double rate, int samplesPerBlock)
    : silence (2, samplesPerBlock)
    , sampleRate (rate)
    , blockSize (samplesPerBlock)
{
    processor.prepareToPlay (sampleRate, blockSize);

    // The engines take over a loaded response only inside a processed block, so blocks must keep coming while
    // the loader works; a bounded wait keeps a broken loader from hanging the run.
    for (int attempt = 0; attempt < 2000 && ! allResponsesInstalled(); ++attempt)
    {
        processSilence (0.0);
        juce::Thread::sleep (2);
    }

    ready = allResponsesInstalled();
    processSilence (settleSeconds);
}

int PreparedPlugin::loadedResponseLength (double rate)
{
    return juce::roundToInt (BinauralProcessor::impulseResponseLength * rate / embeddedResponseRate);
}

bool PreparedPlugin::allResponsesInstalled()
{
    const auto& binaural = *processor.getMainProcessor().getProcessingGraph().binauralProcessor;
    const auto expected = loadedResponseLength (sampleRate);

    for (int k = 0; k < BinauralProcessor::numEngines; ++k)
        if (binaural.getImpulseResponseSize (k) != expected)
            return false;

    return true;
}

void PreparedPlugin::processSilence (double seconds)
{
    const auto numBlocks = juce::jmax (1, juce::roundToInt (seconds * sampleRate / blockSize));

    for (int i = 0; i < numBlocks; ++i)
    {
        silence.clear();
        processor.processBlock (silence, midi);
    }
}
} // namespace corvane::bench
