#include "ShoeboxRoom.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace corvane
{

ShoeboxRoom::ShoeboxRoom (const RoomDesign& designToUse)
    : design (designToUse)
{
}

double ShoeboxRoom::getVolume() const noexcept
{
    return design.length * design.width * design.height;
}

double ShoeboxRoom::getSurfaceArea() const noexcept
{
    return 2.0 * (design.length * design.width + design.length * design.height + design.width * design.height);
}

double ShoeboxRoom::getAbsorption (int surface, int band) const
{
    switch (surface)
    {
        case rearSurface:
            return design.rearWall[(size_t) band];
        case frontSurface:
            return design.frontWall[(size_t) band];
        case rightSurface:
        case leftSurface:
            return design.sideWalls[(size_t) band];
        case floorSurface:
            return design.floor[(size_t) band];
        case ceilingSurface:
            return design.ceiling[(size_t) band];
        default:
            return 0.0;
    }
}

double ShoeboxRoom::getMeanAbsorption (int band) const
{
    auto endWalls = design.width * design.height;
    auto sideWalls = design.length * design.height;
    auto floorArea = design.length * design.width;

    auto sum = endWalls * (getAbsorption (rearSurface, band) + getAbsorption (frontSurface, band))
             + sideWalls * (getAbsorption (rightSurface, band) + getAbsorption (leftSurface, band))
             + floorArea * (getAbsorption (floorSurface, band) + getAbsorption (ceilingSurface, band));

    return sum / getSurfaceArea();
}

double ShoeboxRoom::getReverberationTime (int band) const
{
    auto volume = getVolume();
    auto totalAbsorption = -getSurfaceArea() * std::log (1.0 - getMeanAbsorption (band))
                         + 4.0 * design.airAttenuation[(size_t) band] * volume;

    return 24.0 * std::log (10.0) * volume / (design.speedOfSound * totalAbsorption);
}

std::vector<ShoeboxRoom::ImageSource> ShoeboxRoom::findImageSources (const Vector& source) const
{
    const Vector size { design.length, design.width, design.height };
    const auto maxOrder = design.maxReflectionOrder;
    std::vector<ImageSource> images;

    for (int nx = -maxOrder; nx <= maxOrder; ++nx)
        for (int ny = -maxOrder; ny <= maxOrder; ++ny)
            for (int nz = -maxOrder; nz <= maxOrder; ++nz)
                for (int parity = 0; parity < 8; ++parity)
                {
                    const std::array<int, 3> cell { nx, ny, nz };
                    const std::array<int, 3> mirrored { parity & 1, (parity >> 1) & 1, (parity >> 2) & 1 };

                    ImageSource image;
                    std::array<int, numSurfaces> hits {};

                    for (size_t axis = 0; axis < 3; ++axis)
                    {
                        // Mirror u, then shift by n room lengths: |n - u| hits on the wall at 0, |n| on the far wall
                        image.position[axis] = (1 - 2 * mirrored[axis]) * source[axis] + 2.0 * cell[axis] * size[axis];
                        image.mirrorSign[axis] = 1 - 2 * mirrored[axis];
                        hits[axis * 2] = std::abs (cell[axis] - mirrored[axis]);
                        hits[axis * 2 + 1] = std::abs (cell[axis]);
                    }

                    for (auto count : hits)
                        image.order += count;

                    if (image.order > maxOrder)
                        continue;

                    for (int band = 0; band < RoomDesign::numBands; ++band)
                    {
                        auto energy = 1.0;

                        for (int surface = 0; surface < numSurfaces; ++surface)
                            energy *= std::pow (1.0 - getAbsorption (surface, band), hits[(size_t) surface]);

                        image.reflectionGain[(size_t) band] = std::sqrt (energy);
                    }

                    images.push_back (image);
                }

    std::stable_sort (images.begin(), images.end(),
                      [] (const ImageSource& a, const ImageSource& b) { return a.order < b.order; });

    return images;
}

} // namespace corvane
