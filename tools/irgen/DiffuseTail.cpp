#include "DiffuseTail.h"
#include "FrequencyBands.h"

#include <juce_dsp/juce_dsp.h>

#include <cmath>
#include <random>

namespace corvane
{

namespace
{
    // std::normal_distribution differs between standard libraries; Box-Muller over the raw
    // 64-bit engine output keeps the noise identical everywhere
    std::vector<double> makeGaussianNoise (size_t length, std::mt19937_64& engine)
    {
        std::vector<double> noise (length);
        auto uniform = [&engine] { return ((double) (engine() >> 11) + 0.5) * 0x1.0p-53; };

        for (size_t n = 0; n < length; n += 2)
        {
            auto radius = std::sqrt (-2.0 * std::log (uniform()));
            auto angle = juce::MathConstants<double>::twoPi * uniform();
            noise[n] = radius * std::cos (angle);

            if (n + 1 < length)
                noise[n + 1] = radius * std::sin (angle);
        }

        return noise;
    }
} // namespace

DiffuseTail::DiffuseTail (const RoomDesign& designToUse)
    : design (designToUse)
{
}

double DiffuseTail::getInterauralCoherence (double frequency) const
{
    // Sinc of a free-field pair at an effective ear distance, rolled off where the head
    // shadow decorrelates the ears further
    auto distance = design.coherenceDistanceFactor * design.headRadius;
    auto x = juce::MathConstants<double>::twoPi * frequency * distance / design.speedOfSound;

    if (x < 1.0e-9)
        return 1.0;

    auto rolloff = x / design.coherenceRolloffFactor;
    return std::sin (x) / x / std::sqrt (1.0 + rolloff * rolloff * rolloff * rolloff);
}

std::array<std::vector<double>, 2> DiffuseTail::generate (const Envelopes& envelopes, unsigned int seed) const
{
    auto length = envelopes.front().size();
    auto order = juce::jmax (1, (int) std::ceil (std::log2 ((double) length)));
    auto size = (size_t) 1 << order;

    juce::dsp::FFT fft (order);
    std::mt19937_64 engine (seed);

    std::array<std::vector<juce::dsp::Complex<float>>, 2> spectra;

    for (auto& spectrum : spectra)
    {
        auto noise = makeGaussianNoise (size, engine);
        std::vector<juce::dsp::Complex<float>> timeData (size);

        for (size_t n = 0; n < size; ++n)
            timeData[n] = { (float) noise[n], 0.0f };

        spectrum.resize (size);
        fft.perform (timeData.data(), spectrum.data(), false);
    }

    // Mid/side mixing of two independent noises: left = a n1 + b n2, right = a n1 - b n2 has
    // coherence a^2 - b^2 at unchanged power
    std::array<std::vector<juce::dsp::Complex<float>>, 2> ears { std::vector<juce::dsp::Complex<float>> (size),
                                                                 std::vector<juce::dsp::Complex<float>> (size) };

    for (size_t bin = 0; bin < size; ++bin)
    {
        auto folded = bin <= size / 2 ? bin : size - bin;
        auto frequency = (double) folded * design.sampleRate / (double) size;
        auto coherence = getInterauralCoherence (frequency);
        auto a = (float) std::sqrt ((1.0 + coherence) / 2.0);
        auto b = (float) std::sqrt ((1.0 - coherence) / 2.0);

        ears[0][bin] = a * spectra[0][bin] + b * spectra[1][bin];
        ears[1][bin] = a * spectra[0][bin] - b * spectra[1][bin];
    }

    std::array<std::vector<double>, 2> result { std::vector<double> (length, 0.0), std::vector<double> (length, 0.0) };
    std::vector<juce::dsp::Complex<float>> bandSpectrum (size), bandSignal (size);

    for (int band = 0; band < RoomDesign::numBands; ++band)
    {
        const auto& envelope = envelopes[(size_t) band];

        for (size_t ear = 0; ear < 2; ++ear)
        {
            for (size_t bin = 0; bin < size; ++bin)
            {
                auto folded = bin <= size / 2 ? bin : size - bin;
                auto frequency = (double) folded * design.sampleRate / (double) size;
                auto weight = FrequencyBands::getCrossoverWeight (band, frequency);

                // Same band limit as the head responses, so the tail adds nothing above them
                if (frequency >= design.highFrequencyTaperEndHz)
                    weight = 0.0;
                else if (frequency > design.highFrequencyTaperStartHz)
                    weight *= 0.5 * (1.0 + std::cos (juce::MathConstants<double>::pi * (frequency - design.highFrequencyTaperStartHz) / (design.highFrequencyTaperEndHz - design.highFrequencyTaperStartHz)));

                bandSpectrum[bin] = (float) weight * ears[ear][bin];
            }

            fft.perform (bandSpectrum.data(), bandSignal.data(), true);

            for (size_t n = 0; n < length; ++n)
                result[ear][n] += envelope[n] * (double) bandSignal[n].real();
        }
    }

    return result;
}

} // namespace corvane
