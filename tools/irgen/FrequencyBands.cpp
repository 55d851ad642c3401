#include "FrequencyBands.h"

#include <juce_core/juce_core.h>

#include <cmath>

namespace corvane
{

double FrequencyBands::getCentre (int band)
{
    return 62.5 * std::pow (2.0, band);
}

const char* FrequencyBands::getName (int band)
{
    static const char* const names[] = { "63", "125", "250", "500", "1k", "2k", "4k", "8k", "16k" };
    return names[band];
}

std::vector<double> FrequencyBands::interpolate (const RoomDesign::BandValues& values, int fftSize, double sampleRate)
{
    std::vector<double> result ((size_t) fftSize / 2 + 1);

    for (size_t bin = 0; bin < result.size(); ++bin)
    {
        auto frequency = (double) bin * sampleRate / (double) fftSize;
        auto position = std::log2 (juce::jmax (frequency, 1.0) / getCentre (0));

        if (position <= 0.0)
        {
            result[bin] = values.front();
        }
        else if (position >= numBands - 1)
        {
            result[bin] = values.back();
        }
        else
        {
            auto lower = (int) position;
            auto fraction = position - lower;
            result[bin] = values[(size_t) lower] + fraction * (values[(size_t) lower + 1] - values[(size_t) lower]);
        }
    }

    return result;
}

double FrequencyBands::getCrossoverWeight (int band, double frequency)
{
    auto position = std::log2 (juce::jmax (frequency, 1.0) / getCentre (0));

    if (position <= 0.0)
        return band == 0 ? 1.0 : 0.0;

    if (position >= numBands - 1)
        return band == numBands - 1 ? 1.0 : 0.0;

    // cos^2 + sin^2 between neighbouring centres keeps the sum of all bands at exactly one
    auto lower = (int) position;
    auto phase = (position - lower) * juce::MathConstants<double>::halfPi;

    if (band == lower)
        return std::cos (phase) * std::cos (phase);

    if (band == lower + 1)
        return std::sin (phase) * std::sin (phase);

    return 0.0;
}

} // namespace corvane
