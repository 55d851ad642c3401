#include "dsp/BinauralProcessor.h"

#include "BinaryData.h"

namespace corvane
{
const std::array<EmbeddedResource, 2> impulseResponseResources {
    EmbeddedResource { BinaryData::ZEM2IR192kHz32bit_01_L_20210130_wav,
                       static_cast<std::uint64_t> (BinaryData::ZEM2IR192kHz32bit_01_L_20210130_wavSize) },
    EmbeddedResource { BinaryData::ZEM2IR192kHz32bit_02_R_20210130_wav,
                       static_cast<std::uint64_t> (BinaryData::ZEM2IR192kHz32bit_02_R_20210130_wavSize) }
};

namespace
{
    // 10^0.27, +5.4 dB at 44.1 kHz; the responses carry more energy per second at higher rates.
    constexpr double referenceResponseGain = 1.8620871366628675;
    constexpr double referenceSampleRate = 44100.0;
    constexpr int nonUniformHeadSize = 1024;

    struct EnginePath
    {
        int inputChannel;
        int ear;
        int scopeChannel;
    };

    /** Engine k convolves input channel k / 2 with the ear response k % 2; the scope pairs channel s with s + 2. */
    constexpr std::array<EnginePath, BinauralProcessor::numEngines> enginePaths { { { 0, 0, 0 },
                                                                                    { 0, 1, 2 },
                                                                                    { 1, 0, 1 },
                                                                                    { 1, 1, 3 } } };
} // namespace

BinauralProcessor::BinauralProcessor()
{
    for (auto& convolution : convolutions)
        convolution = std::make_unique<juce::dsp::Convolution> (juce::dsp::Convolution::NonUniform { nonUniformHeadSize });

    dryWetMixer.setWetLatency (static_cast<float> (convolutions.at (0)->getLatency()));
    dryWetMixer.setMixingRule (juce::dsp::DryWetMixingRule::balanced);
}

BinauralProcessor::~BinauralProcessor() = default;

void BinauralProcessor::prepareToPlay (double sampleRate, int samplesPerBlock)
{
    stereoBuffer.setSize (2, samplesPerBlock);
    monoBuffer.setSize (1, samplesPerBlock);
    scopeBuffer.setSize (4, samplesPerBlock);

    // Loaded once: an engine keeps the response it was given, and every later preparation rebuilds the engine
    // from it, at the new rate, before returning. A reload would be swapped in later by the engine's background
    // thread while blocks already run, so a render right after a preparation would change from run to run.
    if (! responsesLoaded)
        loadResponses();

    const juce::dsp::ProcessSpec spec { sampleRate, static_cast<juce::uint32> (samplesPerBlock), 2 };
    auto longestResponse = 0;

    for (auto& engine : convolutions)
    {
        engine->prepare (spec);
        engine->reset();
        longestResponse = juce::jmax (longestResponse, engine->getCurrentIRSize());
    }

    // The convolution engine scales a resampled response by its rate over the processing rate; the response
    // gain below was set for an engine that did not, and the level must not change with the host's rate.
    resamplingCompensation = sampleRate / responseSampleRate;
    tailSeconds.store (longestResponse / sampleRate);

    setLatencySamples (convolutions.at (0)->getLatency());
    dryWetMixer.prepare (spec);
    irGain = referenceResponseGain / (sampleRate / referenceSampleRate);
}

void BinauralProcessor::loadResponses()
{
    juce::AudioFormatManager formatManager;
    formatManager.registerBasicFormats();

    for (size_t file = 0; file < impulseResponseResources.size(); ++file)
    {
        const auto& resource = impulseResponseResources.at (file);
        std::unique_ptr<juce::AudioFormatReader> reader (formatManager.createReaderFor (
            std::make_unique<juce::MemoryInputStream> (resource.data, static_cast<size_t> (resource.size), true)));

        // The embedded responses always decode; should one ever not, the engine keeps passing the input through
        // instead of the host crashing.
        jassert (reader != nullptr);

        if (reader == nullptr)
            continue;

        responseSampleRate = reader->sampleRate;

        for (int ear = 0; ear < 2; ++ear)
        {
            juce::AudioBuffer<float> response (1, impulseResponseLength);
            response.clear();
            reader->read (&response, 0, impulseResponseLength, 0, ear == 0, ear == 1);

            // Queued here and taken by the engine's next preparation, on this thread.
            convolutions.at (file * 2 + static_cast<size_t> (ear))
                ->loadImpulseResponse (std::move (response),
                                       reader->sampleRate,
                                       juce::dsp::Convolution::Stereo::no,
                                       juce::dsp::Convolution::Trim::no,
                                       juce::dsp::Convolution::Normalise::no);
        }
    }

    responsesLoaded = true;
}

void BinauralProcessor::releaseResources()
{
    reset();
}

void BinauralProcessor::reset()
{
    for (auto& convolution : convolutions)
        convolution->reset();
}

void BinauralProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    juce::ScopedNoDenormals noDenormals;

    const auto numSamples = juce::jmin (stereoBuffer.getNumSamples(), buffer.getNumSamples());
    const auto numInputChannels = juce::jmin (2, buffer.getNumChannels());
    const auto isBypassed = bypassed.load();

    scopeBuffer.clear();
    stereoBuffer.clear();

    for (int channel = 0; channel < numInputChannels; ++channel)
        stereoBuffer.copyFrom (channel, 0, buffer, channel, 0, numSamples);

    // The mixer's crossfade advances by the samples it is given, so it gets the block's own samples only: a
    // host block shorter than the prepared size must not shorten the 50 ms crossfade.
    const auto samples = static_cast<size_t> (numSamples);
    const auto blockOfStereoBuffer = juce::dsp::AudioBlock<float> (stereoBuffer).getSubBlock (0, samples);

    dryWetMixer.pushDrySamples (blockOfStereoBuffer);
    stereoBuffer.clear();

    const auto gain = static_cast<float> (irGain * resamplingCompensation);

    for (size_t k = 0; k < convolutions.size(); ++k)
    {
        const auto& path = enginePaths[k];

        monoBuffer.clear();

        if (path.inputChannel < numInputChannels && numSamples > 0)
        {
            auto input = juce::dsp::AudioBlock<float> (buffer)
                             .getSingleChannelBlock (static_cast<size_t> (path.inputChannel))
                             .getSubBlock (0, samples);
            auto output = juce::dsp::AudioBlock<float> (monoBuffer).getSubBlock (0, samples);

            convolutions[k]->process (juce::dsp::ProcessContextNonReplacing<float> (input, output));
        }

        monoBuffer.applyGain (gain);
        stereoBuffer.addFrom (path.ear, 0, monoBuffer, 0, 0, monoBuffer.getNumSamples());

        if (! isBypassed && numSamples > 0)
            scopeBuffer.copyFrom (path.scopeChannel, 0, monoBuffer, 0, 0, numSamples);
    }

    if (numSamples > 0)
        wetMixProportion = isBypassed ? 0.0 : 1.0;

    dryWetMixer.setWetMixProportion (static_cast<float> (wetMixProportion));
    dryWetMixer.mixWetSamples (blockOfStereoBuffer);

    for (int channel = 0; channel < numInputChannels; ++channel)
        buffer.copyFrom (channel, 0, stereoBuffer, channel, 0, numSamples);

    if (isBypassed && numSamples > 0)
    {
        scopeBuffer.copyFrom (0, 0, buffer, 0, 0, numSamples);
        scopeBuffer.copyFrom (2, 0, buffer, 0, 0, numSamples);
        scopeBuffer.copyFrom (1, 0, buffer, numInputChannels > 1 ? 1 : 0, 0, numSamples);
        scopeBuffer.copyFrom (3, 0, buffer, numInputChannels > 1 ? 1 : 0, 0, numSamples);
    }
}
} // namespace corvane
