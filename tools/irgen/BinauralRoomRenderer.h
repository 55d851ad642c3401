#pragma once

#include "HrirSet.h"
#include "MinimumPhase.h"
#include "RoomDesign.h"
#include "ShoeboxRoom.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>
#include <vector>

namespace corvane
{

/** Renders the two-ear response of the left loudspeaker: direct sound and image-source
    reflections through the head responses of their arrival directions, a diffuse tail, a
    sub-sonic high-pass, the end fade and the energy scaling.

    The room and the listening position are symmetric, so the right loudspeaker's response is
    this one with the ears swapped.
*/
class BinauralRoomRenderer
{
public:
    struct Summary
    {
        int directMeasurement = -1;
        double directOnsetNear = 0.0, directOnsetFar = 0.0;
        int numReflections = 0;
        double earlyToLateDb = 0.0;
        double gain = 1.0;
    };

    BinauralRoomRenderer (const RoomDesign& design, const HrirSet& hrirs);

    /** Channel 0 = left ear, channel 1 = right ear, design.fileFrames long. */
    juce::AudioBuffer<float> renderLeftLoudspeaker();

    const Summary& getSummary() const noexcept { return summary; }

private:
    using Signal = std::array<std::vector<double>, 2>;

    void addPath (Signal& output, int measurement, const std::vector<double>& binGains, double delayFrames, bool isDirect);
    Signal renderTail (double directFrame, double directDistance) const;
    void applyHighPass (std::vector<double>& signal) const;

    const RoomDesign& design;
    const HrirSet& hrirs;
    ShoeboxRoom room;
    MinimumPhase minimumPhase;
    double baseOffset = 0.0;
    Summary summary;
};

} // namespace corvane
