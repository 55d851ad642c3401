#pragma once

#include "RoomDesign.h"

#include <vector>

namespace corvane
{

/** Octave bands from 62.5 Hz to 16 kHz and the two ways the generator turns per-band values
    into spectra: smooth log-frequency interpolation (for reflection filters) and
    amplitude-complementary crossovers (for splitting the diffuse tail).
*/
class FrequencyBands
{
public:
    static constexpr int numBands = RoomDesign::numBands;

    static double getCentre (int band);
    static const char* getName (int band);

    /** Per-bin values for bins 0 ... fftSize / 2, interpolated linearly over log2 frequency
        and held constant outside the outermost centres.
    */
    static std::vector<double> interpolate (const RoomDesign::BandValues& values, int fftSize, double sampleRate);

    /** Crossover weight of a band at a frequency; the weights of all bands add up to one. */
    static double getCrossoverWeight (int band, double frequency);
};

} // namespace corvane
