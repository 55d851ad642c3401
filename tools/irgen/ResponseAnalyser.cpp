#include "ResponseAnalyser.h"
#include "FrequencyBands.h"

#include <juce_dsp/juce_dsp.h>

#include <cmath>

namespace corvane
{

ResponseAnalyser::ChannelFigures ResponseAnalyser::analyseChannel (const juce::AudioBuffer<float>& response, int channel,
                                                                   int usedFrames)
{
    ChannelFigures figures;
    const auto* samples = response.getReadPointer (channel);

    for (int n = 0; n < response.getNumSamples(); ++n)
    {
        auto value = samples[n];
        auto square = (double) value * (double) value;

        if (n < usedFrames)
            figures.usedEnergy += square;
        else
            figures.restEnergy += square;

        if (std::abs (value) > std::abs (figures.peakValue))
        {
            figures.peakValue = value;
            figures.peakFrame = n;
        }
    }

    return figures;
}

std::vector<double> ResponseAnalyser::getEnergyDecayCurve (const float* samples, int numSamples)
{
    std::vector<double> curve ((size_t) numSamples);
    double remaining = 0.0;

    for (int n = numSamples; --n >= 0;)
    {
        remaining += (double) samples[n] * (double) samples[n];
        curve[(size_t) n] = remaining;
    }

    auto total = juce::jmax (curve.front(), 1.0e-300);

    for (auto& value : curve)
        value = 10.0 * std::log10 (juce::jmax (value / total, 1.0e-30));

    return curve;
}

std::vector<float> ResponseAnalyser::filterOctaveBand (const juce::AudioBuffer<float>& response, int channel, int band,
                                                       double sampleRate)
{
    // Two cascaded octave-wide band-passes, run in double so the 63 Hz band stays clean
    auto centre = FrequencyBands::getCentre (band);
    auto coefficients = juce::dsp::IIR::Coefficients<double>::makeBandPass (sampleRate, centre, juce::MathConstants<double>::sqrt2);
    juce::dsp::IIR::Filter<double> first (coefficients), second (coefficients);
    std::vector<float> filtered ((size_t) response.getNumSamples());
    const auto* samples = response.getReadPointer (channel);

    for (size_t n = 0; n < filtered.size(); ++n)
        filtered[n] = (float) second.processSample (first.processSample ((double) samples[n]));

    return filtered;
}

RoomDesign::BandValues ResponseAnalyser::measureBandLevels (const juce::AudioBuffer<float>& response, int channel,
                                                            double sampleRate)
{
    RoomDesign::BandValues levels {};

    for (int band = 0; band < RoomDesign::numBands; ++band)
    {
        double energy = 0.0;

        for (auto sample : filterOctaveBand (response, channel, band, sampleRate))
            energy += (double) sample * (double) sample;

        levels[(size_t) band] = 10.0 * std::log10 (juce::jmax (energy, 1.0e-30));
    }

    return levels;
}

int ResponseAnalyser::findFirstFrameAbove (const juce::AudioBuffer<float>& response, int channel, float threshold)
{
    const auto* samples = response.getReadPointer (channel);

    for (int n = 0; n < response.getNumSamples(); ++n)
        if (std::abs (samples[n]) > threshold)
            return n;

    return -1;
}

RoomDesign::BandValues ResponseAnalyser::measureReverberationTimes (const juce::AudioBuffer<float>& response, int channel,
                                                                    double sampleRate)
{
    RoomDesign::BandValues times {};
    const auto numSamples = response.getNumSamples();

    for (int band = 0; band < RoomDesign::numBands; ++band)
    {
        auto filtered = filterOctaveBand (response, channel, band, sampleRate);
        auto curve = getEnergyDecayCurve (filtered.data(), numSamples);

        // Least-squares line through the curve between -5 and -25 dB
        double sumT = 0.0, sumL = 0.0, sumTT = 0.0, sumTL = 0.0;
        int count = 0;

        for (int n = 0; n < numSamples; ++n)
        {
            auto level = curve[(size_t) n];

            if (level > -5.0)
                continue;

            if (level < -25.0)
                break;

            auto t = n / sampleRate;
            sumT += t;
            sumL += level;
            sumTT += t * t;
            sumTL += t * level;
            ++count;
        }

        auto slope = (count * sumTL - sumT * sumL) / (count * sumTT - sumT * sumT);
        times[(size_t) band] = count > 1 && slope < 0.0 ? -60.0 / slope : 0.0;
    }

    return times;
}

} // namespace corvane
