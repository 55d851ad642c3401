#pragma once

#include <array>

namespace corvane
{

/** Every acoustic and signal parameter of the generated responses in one place, so the
    README and the printout can be checked against a single source. Band values follow
    FrequencyBands (octaves 62.5 Hz ... 16 kHz). Coordinates: x towards the front wall,
    y towards the listener's left, z up; the origin is the rear-right floor corner.
*/
struct RoomDesign
{
    static constexpr int numBands = 9;
    using BandValues = std::array<double, numBands>;

    // Output format
    double sampleRate = 192000.0;
    int fileFrames = 96052;
    int usedFrames = 32768;

    // Geometry (metres)
    double length = 6.0;     // x
    double width = 5.0;      // y
    double height = 3.0;     // z
    double listenerX = 3.72; // 38 % of the length in front of the front wall
    double earHeight = 1.2;
    double loudspeakerDistance = 1.8;
    double loudspeakerAzimuth = 30.0; // degrees, positive = listener's left
    double speedOfSound = 343.0;

    // Energy absorption coefficients per surface and band
    BandValues frontWall { 0.35, 0.40, 0.50, 0.55, 0.55, 0.55, 0.55, 0.55, 0.55 };
    BandValues rearWall { 0.45, 0.50, 0.60, 0.65, 0.70, 0.70, 0.70, 0.70, 0.70 };
    BandValues sideWalls { 0.25, 0.28, 0.30, 0.32, 0.35, 0.38, 0.40, 0.40, 0.40 };
    BandValues floor { 0.15, 0.12, 0.12, 0.15, 0.20, 0.25, 0.30, 0.30, 0.30 };
    BandValues ceiling { 0.35, 0.38, 0.42, 0.45, 0.48, 0.50, 0.50, 0.50, 0.50 };

    // Air, 20 degC / 50 % RH: intensity attenuation in 1/m
    BandValues airAttenuation { 0.00002, 0.00009, 0.00023, 0.00048, 0.0010, 0.0022, 0.0067, 0.023, 0.069 };

    // Loudspeaker directivity: amplitude ((1 + cos theta) / 2)^p, so Q = 2p + 1
    BandValues directivityExponent { 0.0, 0.0, 0.2, 0.5, 1.0, 1.5, 2.0, 2.5, 3.0 };

    // Early part: image sources up to this order, cut at this delay after the direct sound
    int maxReflectionOrder = 3;
    double earlyCutoffMs = 40.0;

    // Late part: diffuse tail fades in between these times after the direct sound
    double tailFadeInStartMs = 8.0;
    double tailFadeInEndMs = 30.0;
    double tailLevelDb = 0.0;
    unsigned int noiseSeed = 20210130u;

    // Diffuse-field interaural coherence (sinc with head-shadow roll-off)
    double headRadius = 0.0875;
    double coherenceDistanceFactor = 2.2;
    double coherenceRolloffFactor = 2.2;

    // Head responses
    double diffuseFieldSmoothingOctaves = 1.0 / 3.0;
    double lowFrequencyHoldHz = 200.0;
    double maxEqualiserBoostDb = 15.0;
    double highFrequencyTaperStartHz = 18000.0;
    double highFrequencyTaperEndHz = 21000.0;
    int hrirFftOrder = 14;
    int hrirLength = 4096;

    // Whole response
    double highPassHz = 40.0;
    int highPassOrder = 4;
    int directPeakFrame = 70;
    double nearEarEnergy = 0.96;
    int fadeOutStartFrame = 24576;
    int fadeOutEndFrame = 40960;
};

} // namespace corvane
