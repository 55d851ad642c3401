#pragma once

#include "RoomDesign.h"

#include <juce_core/juce_core.h>

#include <vector>

struct MYSOFA_HRTF;
struct MYSOFA_LOOKUP;

namespace corvane
{

/** The measured head-related impulse responses of a SOFA file, brought to the output rate
    and diffuse-field equalised.

    Each response is upsampled with soxr, split into its onset delay (where it first reaches
    -20 dB of its peak) and its magnitude spectrum; the renderer rebuilds it as a minimum-phase
    filter placed at that onset. The diffuse-field average is the solid-angle weighted power
    mean over all measured directions and both ears.
*/
class HrirSet
{
public:
    struct EarResponse
    {
        std::vector<double> magnitude; // bins 0 ... fftSize / 2, equalised and band-limited
        double onsetFrames = 0.0;      // at the output rate
    };

    /** Throws std::runtime_error when the file cannot be read. */
    HrirSet (const juce::File& sofaFile, const RoomDesign& design);
    ~HrirSet();

    int getNumMeasurements() const noexcept { return numMeasurements; }
    double getAzimuth (int measurement) const { return azimuths[(size_t) measurement]; }
    double getElevation (int measurement) const { return elevations[(size_t) measurement]; }
    double getSourceSampleRate() const noexcept { return sourceSampleRate; }
    int getFftSize() const noexcept { return fftSize; }

    /** Nearest measured direction; azimuth counter-clockwise from the front (positive = left). */
    int findNearest (double azimuthDegrees, double elevationDegrees) const;

    /** ear 0 is the left ear, 1 the right. */
    EarResponse getEarResponse (int measurement, int ear) const;

    /** Diffuse-field equaliser magnitude per bin, after smoothing and the boost limit. */
    const std::vector<double>& getEqualiser() const noexcept { return equaliser; }

private:
    void loadMeasurements (const juce::File& sofaFile);
    void analyseResponses();
    void buildEqualiser();
    double getSolidAngleWeight (int measurement) const;

    const RoomDesign& design;
    MYSOFA_HRTF* hrtf = nullptr;
    MYSOFA_LOOKUP* lookup = nullptr;

    int numMeasurements = 0, sourceLength = 0, fftSize = 0;
    double sourceSampleRate = 0.0, sourceRadius = 1.0;
    std::vector<double> azimuths, elevations;
    std::vector<float> sourceResponses; // [measurement][ear][sample]
    std::vector<float> rawMagnitudes;   // [measurement][ear][bin] at the output rate
    std::vector<double> onsets;         // [measurement][ear]
    std::vector<double> equaliser;

    JUCE_DECLARE_NON_COPYABLE (HrirSet)
};

} // namespace corvane
