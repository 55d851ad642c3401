#pragma once

#include "RoomDesign.h"

#include <array>
#include <vector>

namespace corvane
{

/** The late reverberation: two channels of Gaussian noise with the interaural coherence of a
    diffuse field at a head, split into octave bands that each decay with their own envelope.

    The noise has unit spectral density up to the head responses' band limit, the same scale a
    diffuse-field equalised head response has on average, so envelopes can be given as plain
    energy ratios to the direct sound.
*/
class DiffuseTail
{
public:
    using Envelopes = std::array<std::vector<double>, RoomDesign::numBands>;

    explicit DiffuseTail (const RoomDesign& design);

    /** Returns left and right ear signals of envelope length; the same seed gives the same bits. */
    std::array<std::vector<double>, 2> generate (const Envelopes& envelopes, unsigned int seed) const;

    /** Coherence between the ears of a diffuse sound field at one frequency. */
    double getInterauralCoherence (double frequency) const;

private:
    const RoomDesign& design;
};

} // namespace corvane
