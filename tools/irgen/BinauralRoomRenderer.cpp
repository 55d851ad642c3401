#include "BinauralRoomRenderer.h"
#include "DiffuseTail.h"
#include "FrequencyBands.h"

#include <juce_dsp/juce_dsp.h>

#include <cmath>

namespace corvane
{

namespace
{
    using Vector = ShoeboxRoom::Vector;

    Vector subtract (const Vector& a, const Vector& b) { return { a[0] - b[0], a[1] - b[1], a[2] - b[2] }; }
    double length (const Vector& v) { return std::sqrt (v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }
    double dot (const Vector& a, const Vector& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

    double getDirectivityExponentQ (double exponent) { return 2.0 * exponent + 1.0; }
} // namespace

BinauralRoomRenderer::BinauralRoomRenderer (const RoomDesign& designToUse, const HrirSet& hrirsToUse)
    : design (designToUse)
    , hrirs (hrirsToUse)
    , room (designToUse)
    , minimumPhase (designToUse.hrirFftOrder)
{
    jassert (hrirs.getFftSize() == minimumPhase.getFftSize());
}

void BinauralRoomRenderer::addPath (Signal& output, int measurement, const std::vector<double>& binGains,
                                    double delayFrames, bool isDirect)
{
    for (int ear = 0; ear < 2; ++ear)
    {
        auto response = hrirs.getEarResponse (measurement, ear);

        for (size_t bin = 0; bin < response.magnitude.size(); ++bin)
            response.magnitude[bin] *= binGains[bin];

        auto impulse = minimumPhase.build (response.magnitude, design.hrirLength);

        if (isDirect && ear == 0)
        {
            // Everything is placed relative to the near ear's direct peak
            auto peak = std::max_element (impulse.begin(), impulse.end(),
                                          [] (float a, float b) { return std::abs (a) < std::abs (b); });
            baseOffset = design.directPeakFrame - response.onsetFrames - (double) std::distance (impulse.begin(), peak);
        }

        auto start = (long) std::lround (baseOffset + response.onsetFrames + delayFrames);
        jassert (start >= 0);

        auto& channel = output[(size_t) ear];

        for (size_t n = 0; n < impulse.size() && start + (long) n < (long) channel.size(); ++n)
            channel[(size_t) start + n] += impulse[n];
    }
}

BinauralRoomRenderer::Signal BinauralRoomRenderer::renderTail (double directFrame, double directDistance) const
{
    // Statistical late field: reflections arrive at 4 pi c^3 t^2 / V per second, each at
    // 1 / (c t)^2, so the energy per second relative to the direct sound is 4 pi c r^2 / V,
    // decaying with the band's reverberation time. The loudspeaker feeds the room with its
    // average power, 1 / Q of its on-axis power.
    const auto frames = (size_t) design.fileFrames;
    const auto c = design.speedOfSound;
    const auto fs = design.sampleRate;
    DiffuseTail::Envelopes envelopes;

    for (int band = 0; band < RoomDesign::numBands; ++band)
    {
        auto q = getDirectivityExponentQ (design.directivityExponent[(size_t) band]);
        auto energyPerSecond = 4.0 * juce::MathConstants<double>::pi * c * directDistance * directDistance
                             / (room.getVolume() * q);
        auto level = std::sqrt (energyPerSecond / fs) * juce::Decibels::decibelsToGain (design.tailLevelDb);
        auto decayTime = room.getReverberationTime (band);
        auto& envelope = envelopes[(size_t) band];
        envelope.assign (frames, 0.0);

        for (size_t n = 0; n < frames; ++n)
        {
            auto afterDirectMs = ((double) n - directFrame) / fs * 1000.0;

            if (afterDirectMs <= design.tailFadeInStartMs)
                continue;

            auto fadeIn = 1.0;

            if (afterDirectMs < design.tailFadeInEndMs)
            {
                auto position = (afterDirectMs - design.tailFadeInStartMs) / (design.tailFadeInEndMs - design.tailFadeInStartMs);
                fadeIn = std::sin (juce::MathConstants<double>::halfPi * position);
                fadeIn *= fadeIn;
            }

            auto sinceEmission = directDistance / c + afterDirectMs / 1000.0;
            envelope[n] = level * fadeIn * std::exp (-3.0 * std::log (10.0) * sinceEmission / decayTime);
        }
    }

    return DiffuseTail (design).generate (envelopes, design.noiseSeed);
}

void BinauralRoomRenderer::applyHighPass (std::vector<double>& signal) const
{
    auto stages = juce::dsp::FilterDesign<double>::designIIRHighpassHighOrderButterworthMethod (design.highPassHz, design.sampleRate,
                                                                                                design.highPassOrder);

    for (auto* coefficients : stages)
    {
        juce::dsp::IIR::Filter<double> filter (coefficients);
        filter.reset();

        for (auto& sample : signal)
            sample = filter.processSample (sample);
    }
}

juce::AudioBuffer<float> BinauralRoomRenderer::renderLeftLoudspeaker()
{
    const auto frames = (size_t) design.fileFrames;
    const auto azimuth = juce::degreesToRadians (design.loudspeakerAzimuth);
    const Vector listener { design.listenerX, design.width / 2.0, design.earHeight };
    const Vector loudspeaker { listener[0] + design.loudspeakerDistance * std::cos (azimuth),
                               listener[1] + design.loudspeakerDistance * std::sin (azimuth),
                               design.earHeight };

    const auto axis = subtract (listener, loudspeaker);
    const auto directDistance = length (axis);

    Signal output { std::vector<double> (frames, 0.0), std::vector<double> (frames, 0.0) };
    auto images = room.findImageSources (loudspeaker);
    summary = {};

    for (const auto& image : images)
    {
        auto arrival = subtract (image.position, listener);
        auto distance = length (arrival);
        auto delaySeconds = (distance - directDistance) / design.speedOfSound;

        if (image.order > 0 && delaySeconds * 1000.0 > design.earlyCutoffMs)
            continue;

        auto arrivalAzimuth = juce::radiansToDegrees (std::atan2 (arrival[1], arrival[0]));
        auto arrivalElevation = juce::radiansToDegrees (std::atan2 (arrival[2], std::hypot (arrival[0], arrival[1])));
        auto measurement = hrirs.findNearest (arrivalAzimuth, arrivalElevation);

        // Undo the mirrorings to get the direction in which the real loudspeaker sent this path
        Vector emission { -arrival[0] * image.mirrorSign[0], -arrival[1] * image.mirrorSign[1], -arrival[2] * image.mirrorSign[2] };
        auto cosine = dot (emission, axis) / (distance * directDistance);

        RoomDesign::BandValues bandGainsDb {};

        for (int band = 0; band < RoomDesign::numBands; ++band)
        {
            auto directivity = std::pow ((1.0 + cosine) / 2.0, design.directivityExponent[(size_t) band]);
            auto air = std::exp (-0.5 * design.airAttenuation[(size_t) band] * (distance - directDistance));
            auto gain = image.reflectionGain[(size_t) band] * directivity * air * directDistance / distance;
            bandGainsDb[(size_t) band] = juce::Decibels::gainToDecibels (gain, -80.0);
        }

        auto binGains = FrequencyBands::interpolate (bandGainsDb, hrirs.getFftSize(), design.sampleRate);

        for (auto& value : binGains)
            value = juce::Decibels::decibelsToGain (value, -80.0);

        if (image.order == 0)
        {
            addPath (output, measurement, std::vector<double> (binGains.size(), 1.0), 0.0, true);
            summary.directMeasurement = measurement;
            summary.directOnsetNear = hrirs.getEarResponse (measurement, 0).onsetFrames;
            summary.directOnsetFar = hrirs.getEarResponse (measurement, 1).onsetFrames;
        }
        else
        {
            addPath (output, measurement, binGains, delaySeconds * design.sampleRate, false);
            ++summary.numReflections;
        }
    }

    auto directFrame = baseOffset + summary.directOnsetNear;
    auto tail = renderTail (directFrame, directDistance);

    double earlyEnergy = 0.0, tailEnergy = 0.0;

    for (size_t ear = 0; ear < 2; ++ear)
    {
        for (size_t n = 0; n < frames; ++n)
        {
            earlyEnergy += output[ear][n] * output[ear][n];
            tailEnergy += tail[ear][n] * tail[ear][n];
            output[ear][n] += tail[ear][n];
        }

        applyHighPass (output[ear]);

        for (size_t n = (size_t) design.fadeOutStartFrame; n < frames; ++n)
        {
            auto position = juce::jmin (1.0, (double) (n - (size_t) design.fadeOutStartFrame)
                                                 / (double) (design.fadeOutEndFrame - design.fadeOutStartFrame));
            auto gain = 0.5 * (1.0 + std::cos (juce::MathConstants<double>::pi * position));
            output[ear][n] *= gain;
        }
    }

    summary.earlyToLateDb = 10.0 * std::log10 (earlyEnergy / tailEnergy);

    double nearEnergy = 0.0;

    for (size_t n = 0; n < (size_t) design.usedFrames; ++n)
        nearEnergy += output[0][n] * output[0][n];

    summary.gain = std::sqrt (design.nearEarEnergy / nearEnergy);

    juce::AudioBuffer<float> result (2, (int) frames);

    for (int ear = 0; ear < 2; ++ear)
        for (size_t n = 0; n < frames; ++n)
            result.setSample (ear, (int) n, (float) (summary.gain * output[(size_t) ear][n]));

    return result;
}

} // namespace corvane
