#include "HrirSet.h"

#include <juce_dsp/juce_dsp.h>
#include <mysofa.h>
#include <soxr.h>

#include <cmath>
#include <stdexcept>

namespace corvane
{

HrirSet::HrirSet (const juce::File& sofaFile, const RoomDesign& designToUse)
    : design (designToUse)
{
    loadMeasurements (sofaFile);
    analyseResponses();
    buildEqualiser();
}

HrirSet::~HrirSet()
{
    if (lookup != nullptr)
        mysofa_lookup_free (lookup);

    if (hrtf != nullptr)
        mysofa_free (hrtf);
}

void HrirSet::loadMeasurements (const juce::File& sofaFile)
{
    int error = 0;
    hrtf = mysofa_load (sofaFile.getFullPathName().toRawUTF8(), &error);

    if (hrtf == nullptr || error != MYSOFA_OK)
        throw std::runtime_error ("cannot read " + sofaFile.getFullPathName().toStdString()
                                  + " (libmysofa error " + std::to_string (error) + ")");

    if (mysofa_check (hrtf) != MYSOFA_OK || hrtf->R != 2)
        throw std::runtime_error ("not a two-receiver SimpleFreeFieldHRIR file");

    numMeasurements = (int) hrtf->M;
    sourceLength = (int) hrtf->N;
    sourceSampleRate = hrtf->DataSamplingRate.values[0];
    sourceResponses.assign (hrtf->DataIR.values, hrtf->DataIR.values + hrtf->DataIR.elements);

    // SOFA spherical coordinates: azimuth counter-clockwise seen from above, so +90 is the
    // listener's left, and receiver 0 sits at +y (the left ear)
    mysofa_tospherical (hrtf);

    for (int m = 0; m < numMeasurements; ++m)
    {
        azimuths.push_back (hrtf->SourcePosition.values[m * 3]);
        elevations.push_back (hrtf->SourcePosition.values[m * 3 + 1]);
    }

    sourceRadius = hrtf->SourcePosition.values[2];

    mysofa_tocartesian (hrtf);
    lookup = mysofa_lookup_init (hrtf);

    if (lookup == nullptr)
        throw std::runtime_error ("libmysofa could not build its direction lookup");
}

void HrirSet::analyseResponses()
{
    fftSize = 1 << design.hrirFftOrder;
    auto numBins = (size_t) fftSize / 2 + 1;
    auto upsampledLength = (size_t) std::ceil (sourceLength * design.sampleRate / sourceSampleRate);

    rawMagnitudes.resize ((size_t) numMeasurements * 2 * numBins);
    onsets.resize ((size_t) numMeasurements * 2);

    juce::dsp::FFT fft (design.hrirFftOrder);
    std::vector<float> upsampled (upsampledLength);
    std::vector<float> fftData ((size_t) fftSize * 2);

    // Linear phase keeps the onset where it was; the minimum-phase rebuild later removes the
    // resampler's pre-ringing together with the measurement's own
    auto ioSpec = soxr_io_spec (SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    auto qualitySpec = soxr_quality_spec (SOXR_VHQ, SOXR_LINEAR_PHASE);

    for (int m = 0; m < numMeasurements; ++m)
    {
        for (int ear = 0; ear < 2; ++ear)
        {
            auto index = (size_t) (m * 2 + ear);
            const auto* source = sourceResponses.data() + index * (size_t) sourceLength;
            size_t produced = 0;

            auto error = soxr_oneshot (sourceSampleRate, design.sampleRate, 1,
                                       source, (size_t) sourceLength, nullptr,
                                       upsampled.data(), upsampledLength, &produced,
                                       &ioSpec, &qualitySpec, nullptr);

            if (error != nullptr)
                throw std::runtime_error (std::string ("soxr: ") + error);

            float peak = 0.0f;

            for (size_t n = 0; n < produced; ++n)
                peak = juce::jmax (peak, std::abs (upsampled[n]));

            size_t onset = 0;

            while (onset < produced && std::abs (upsampled[onset]) < 0.1f * peak)
                ++onset;

            onsets[index] = (double) onset;

            std::fill (fftData.begin(), fftData.end(), 0.0f);
            std::copy (upsampled.begin(), upsampled.begin() + (std::ptrdiff_t) produced, fftData.begin());
            fft.performFrequencyOnlyForwardTransform (fftData.data(), true);
            std::copy (fftData.begin(), fftData.begin() + (std::ptrdiff_t) numBins,
                       rawMagnitudes.begin() + (std::ptrdiff_t) (index * numBins));
        }
    }
}

double HrirSet::getSolidAngleWeight (int measurement) const
{
    // Each measurement stands for an equal share of its 10-degree elevation ring
    auto elevation = std::round (elevations[(size_t) measurement]);
    int ringCount = 0;

    for (auto other : elevations)
        if (std::round (other) == elevation)
            ++ringCount;

    auto toRadians = [] (double degrees) { return juce::degreesToRadians (degrees); };
    auto upper = juce::jmin (elevation + 5.0, 90.0);
    auto lower = juce::jmax (elevation - 5.0, -90.0);

    return juce::MathConstants<double>::twoPi * (std::sin (toRadians (upper)) - std::sin (toRadians (lower))) / ringCount;
}

void HrirSet::buildEqualiser()
{
    auto numBins = (size_t) fftSize / 2 + 1;
    std::vector<double> power (numBins, 0.0);
    double totalWeight = 0.0;

    for (int m = 0; m < numMeasurements; ++m)
    {
        auto weight = getSolidAngleWeight (m);

        for (int ear = 0; ear < 2; ++ear)
        {
            const auto* magnitude = rawMagnitudes.data() + (size_t) (m * 2 + ear) * numBins;

            for (size_t bin = 0; bin < numBins; ++bin)
                power[bin] += weight * (double) magnitude[bin] * (double) magnitude[bin];

            totalWeight += weight;
        }
    }

    // Fractional-octave smoothing, so the equaliser follows the trend of the average and does
    // not invert the narrow notches it still contains
    std::vector<double> smoothed (numBins);
    auto binWidth = design.sampleRate / fftSize;
    auto halfWidth = std::pow (2.0, design.diffuseFieldSmoothingOctaves / 2.0);

    for (size_t bin = 0; bin < numBins; ++bin)
    {
        auto frequency = juce::jmax ((double) bin, 1.0) * binWidth;
        auto first = (size_t) juce::jlimit (0.0, (double) numBins - 1.0, std::floor (frequency / halfWidth / binWidth));
        auto last = (size_t) juce::jlimit (0.0, (double) numBins - 1.0, std::ceil (frequency * halfWidth / binWidth));
        double sum = 0.0;

        for (auto k = first; k <= last; ++k)
            sum += power[k];

        smoothed[bin] = sum / (double) (last - first + 1) / totalWeight;
    }

    equaliser.resize (numBins);
    auto referenceBin = (size_t) std::round (1000.0 / binWidth);
    auto reference = 1.0 / std::sqrt (smoothed[referenceBin]);
    auto maxGain = reference * juce::Decibels::decibelsToGain (design.maxEqualiserBoostDb);

    for (size_t bin = 0; bin < numBins; ++bin)
        equaliser[bin] = juce::jmin (1.0 / std::sqrt (juce::jmax (smoothed[bin], 1.0e-30)), maxGain);
}

int HrirSet::findNearest (double azimuthDegrees, double elevationDegrees) const
{
    float coordinate[3] = { (float) azimuthDegrees, (float) elevationDegrees, (float) sourceRadius };
    mysofa_s2c (coordinate);
    auto index = mysofa_lookup (lookup, coordinate);

    if (index < 0)
        throw std::runtime_error ("direction lookup failed");

    return index;
}

HrirSet::EarResponse HrirSet::getEarResponse (int measurement, int ear) const
{
    auto numBins = (size_t) fftSize / 2 + 1;
    auto index = (size_t) (measurement * 2 + ear);
    const auto* raw = rawMagnitudes.data() + index * numBins;
    auto binWidth = design.sampleRate / fftSize;

    EarResponse response;
    response.onsetFrames = onsets[index];
    response.magnitude.resize (numBins);

    // Below the hold frequency the short measurement window says nothing reliable, and a head
    // is acoustically small there anyway: continue flat at the hold frequency's level
    auto holdBin = (size_t) std::round (design.lowFrequencyHoldHz / binWidth);

    for (size_t bin = 0; bin < numBins; ++bin)
    {
        auto source = juce::jmax (bin, holdBin);
        auto frequency = (double) bin * binWidth;
        auto taper = 1.0;

        if (frequency >= design.highFrequencyTaperEndHz)
        {
            taper = 0.0;
        }
        else if (frequency > design.highFrequencyTaperStartHz)
        {
            auto position = (frequency - design.highFrequencyTaperStartHz)
                          / (design.highFrequencyTaperEndHz - design.highFrequencyTaperStartHz);
            taper = 0.5 * (1.0 + std::cos (juce::MathConstants<double>::pi * position));
        }

        response.magnitude[bin] = (double) raw[source] * equaliser[source] * taper;
    }

    return response;
}

} // namespace corvane
