#include "ZitaPeer.h"

#include "dsp/BinauralProcessor.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <zita-convolver.h>

#include <sched.h>

namespace corvane::bench
{
namespace
{
    /** The same steps as the resampling inside juce::dsp::Convolution. That also scales the result by the rate
        ratio, which the plug-in takes back out, so the ratio is left out here. */
    juce::AudioBuffer<float> resampleLikeJuce (const juce::AudioBuffer<float>& response, double sourceRate, double targetRate)
    {
        if (sourceRate == targetRate)
            return response;

        const auto readingFactor = sourceRate / targetRate;
        auto original = response;
        juce::MemoryAudioSource memorySource (original, false);
        juce::ResamplingAudioSource resamplingSource (&memorySource, false, response.getNumChannels());

        const auto finalSize = juce::roundToInt (juce::jmax (1.0, response.getNumSamples() / readingFactor));
        resamplingSource.setResamplingRatio (readingFactor);
        resamplingSource.prepareToPlay (finalSize, sourceRate);

        juce::AudioBuffer<float> result (response.getNumChannels(), finalSize);
        resamplingSource.getNextAudioBlock ({ &result, 0, result.getNumSamples() });
        return result;
    }
} // namespace

std::array<juce::AudioBuffer<float>, 2> ZitaPeer::loadResponses (double sampleRate)
{
    std::array<juce::AudioBuffer<float>, 2> responses;
    juce::WavAudioFormat wavFormat;

    for (size_t file = 0; file < responses.size(); ++file)
    {
        const auto& resource = impulseResponseResources.at (file);
        std::unique_ptr<juce::AudioFormatReader> reader (wavFormat.createReaderFor (
            new juce::MemoryInputStream (resource.data, static_cast<size_t> (resource.size), false), true));

        juce::AudioBuffer<float> raw (2, BinauralProcessor::impulseResponseLength);
        raw.clear();
        auto rate = sampleRate;

        if (reader != nullptr)
        {
            reader->read (&raw, 0, BinauralProcessor::impulseResponseLength, 0, true, true);
            rate = reader->sampleRate;
        }

        responses.at (file) = resampleLikeJuce (raw, rate, sampleRate);
    }

    return responses;
}

ZitaPeer::ZitaPeer (double sampleRate, int samplesPerBlock, float responseGain)
    : convolver (std::make_unique<Convproc>())
    , blockSize (samplesPerBlock)
    , minimumPartition (juce::jmax (static_cast<int> (Convproc::MINPART), samplesPerBlock))
{
    auto responses = loadResponses (sampleRate);
    const auto length = responses[0].getNumSamples();

    // Density 1: every input feeds every output, so zita shares each input's transform between both ears.
    if (convolver->configure (2, 2, static_cast<uint32_t> (length), static_cast<uint32_t> (blockSize),
                              static_cast<uint32_t> (minimumPartition), Convproc::MAXPART, 1.0f)
        != 0)
        return;

    convolver->set_options (Convproc::OPT_LATE_CONTIN);

    for (uint32_t input = 0; input < 2; ++input)
    {
        auto& response = responses.at (input);
        response.applyGain (responseGain);

        for (uint32_t ear = 0; ear < 2; ++ear)
            if (convolver->impdata_create (input, ear, 1, response.getWritePointer (static_cast<int> (ear)), 0, length) != 0)
                return;
    }

    // Ordinary scheduling, as for the plug-in's own threads here; zita's worker threads start a little late.
    if (convolver->start_process (0, SCHED_OTHER) != 0)
        return;

    juce::Thread::sleep (50);
    ready = convolver->state() == Convproc::ST_PROC;
}

ZitaPeer::~ZitaPeer()
{
    if (convolver->state() == Convproc::ST_PROC)
    {
        convolver->stop_process();

        for (int i = 0; i < 500 && ! convolver->check_stop(); ++i)
            juce::Thread::sleep (2);
    }

    convolver->cleanup();
}

void ZitaPeer::process (juce::AudioBuffer<float>& buffer)
{
    jassert (buffer.getNumSamples() == blockSize && buffer.getNumChannels() >= 2);

    for (uint32_t channel = 0; channel < 2; ++channel)
        juce::FloatVectorOperations::copy (convolver->inpdata (channel), buffer.getReadPointer (static_cast<int> (channel)), blockSize);

    if ((convolver->process (waitsForWorkers) & Convproc::FL_LATE) != 0)
        ++lateCycles;

    for (uint32_t channel = 0; channel < 2; ++channel)
        juce::FloatVectorOperations::copy (buffer.getWritePointer (static_cast<int> (channel)), convolver->outdata (channel), blockSize);
}
} // namespace corvane::bench
