#pragma once

namespace corvane
{
/** One vertex as the graphics card reads it: three floats, 12 bytes, no padding. For the particles z carries the
    side (1 for the left loudspeaker's pair, 2 for the right's), negated for a point outside the -1..1 square. */
struct Vertex
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

static_assert (sizeof (Vertex) == 12, "the shader reads three packed floats");
} // namespace corvane
