#pragma once

#include "RoomDesign.h"

#include <array>
#include <vector>

namespace corvane
{

/** A rectangular room with frequency-dependent absorption per surface: image sources for the
    early reflections and Eyring's reverberation time for the late decay.
*/
class ShoeboxRoom
{
public:
    using Vector = std::array<double, 3>;

    struct ImageSource
    {
        Vector position {};
        std::array<int, 3> mirrorSign { 1, 1, 1 }; // -1 on axes reflected an odd number of times
        int order = 0;
        RoomDesign::BandValues reflectionGain {}; // amplitude, all walls of the path together
    };

    explicit ShoeboxRoom (const RoomDesign& design);

    double getVolume() const noexcept;
    double getSurfaceArea() const noexcept;

    /** Area-weighted mean absorption coefficient of a band. */
    double getMeanAbsorption (int band) const;

    /** Eyring's formula with air absorption. */
    double getReverberationTime (int band) const;

    /** All image sources up to the design's reflection order, the real source (order 0) first. */
    std::vector<ImageSource> findImageSources (const Vector& source) const;

private:
    enum Surface
    {
        rearSurface,
        frontSurface,
        rightSurface,
        leftSurface,
        floorSurface,
        ceilingSurface,
        numSurfaces
    };

    double getAbsorption (int surface, int band) const;

    const RoomDesign& design;
};

} // namespace corvane
