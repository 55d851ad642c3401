#include "MinimumPhase.h"

namespace corvane
{

MinimumPhase::MinimumPhase (int fftOrder)
    : fft (fftOrder)
    , size (1 << fftOrder)
    , timeData ((size_t) size)
    , frequencyData ((size_t) size)
{
}

std::vector<float> MinimumPhase::build (const std::vector<double>& magnitude, int outputLength)
{
    jassert ((int) magnitude.size() == size / 2 + 1);

    auto peak = *std::max_element (magnitude.begin(), magnitude.end());
    auto floor = juce::jmax (peak * magnitudeFloor, 1.0e-30);
    auto half = (size_t) size / 2;

    for (size_t bin = 0; bin <= half; ++bin)
    {
        auto logMagnitude = (float) std::log (juce::jmax (magnitude[bin], floor));
        frequencyData[bin] = { logMagnitude, 0.0f };

        if (bin > 0 && bin < half)
            frequencyData[(size_t) size - bin] = { logMagnitude, 0.0f };
    }

    fft.perform (frequencyData.data(), timeData.data(), true);

    // Fold the real cepstrum onto positive quefrencies: the causal part of log|H| defines the
    // minimum-phase spectrum
    for (size_t n = 1; n < half; ++n)
    {
        timeData[n] = { 2.0f * timeData[n].real(), 0.0f };
        timeData[(size_t) size - n] = {};
    }

    timeData[0] = { timeData[0].real(), 0.0f };
    timeData[half] = { timeData[half].real(), 0.0f };

    fft.perform (timeData.data(), frequencyData.data(), false);

    for (auto& value : frequencyData)
        value = std::exp (value);

    fft.perform (frequencyData.data(), timeData.data(), true);

    std::vector<float> result ((size_t) outputLength);
    auto fadeLength = outputLength / 4;

    for (int n = 0; n < outputLength; ++n)
    {
        auto gain = 1.0;
        auto intoFade = n - (outputLength - fadeLength);

        if (intoFade >= 0)
            gain = 0.5 * (1.0 + std::cos (juce::MathConstants<double>::pi * (intoFade + 1) / (double) fadeLength));

        result[(size_t) n] = (float) (gain * timeData[(size_t) n].real());
    }

    return result;
}

} // namespace corvane
