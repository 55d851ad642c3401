#include "scope/Particles.h"

namespace corvane
{
Particles::Particles (juce::OpenGLContext& context)
    : Mesh (context, capacity)
    , particleBuffer (context, capacity)
{
}

void Particles::updateVertices (const juce::AudioBuffer<float>& samples)
{
    const auto n = samples.getNumSamples();
    auto& vertices = particleBuffer.vertices;

    for (int side = 0; side < 2 && samples.getNumChannels() >= 4; ++side)
    {
        // a is the loudspeaker's path to the left ear, b to the right ear.
        const auto* a = samples.getReadPointer (side);
        const auto* b = samples.getReadPointer (2 + side);
        const auto code = static_cast<float> (side + 1);

        for (int i = 0; i < n; ++i)
        {
            const auto x = (b[i] - a[i]) * 0.5f;
            const auto y = (a[i] + b[i]) * 0.5f;
            const Vertex vertex { x, y, std::abs (x) > 1.0f || std::abs (y) > 1.0f ? -code : code };
            const auto index = side * n + i;

            if (index < vertices.size())
                vertices.setUnchecked (index, vertex);
            else
                vertices.add (vertex);
        }
    }

    particleBuffer.upload();
}
} // namespace corvane
