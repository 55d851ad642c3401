#pragma once

#include "scope/Mesh.h"

#include <juce_audio_basics/juce_audio_basics.h>

namespace corvane
{
/** The scope's points: for each sample of a frame, one point per loudspeaker's pair of paths. The buffer has room
    for the largest frame, 2048 samples, and each frame writes its points in place and uploads all of them, so a
    frame allocates nothing. The renderer binds particleBuffer before updateVertices and draws its first 2n. */
struct Particles : Mesh
{
    static constexpr int maximumSamples = 2048;
    static constexpr int capacity = 2 * maximumSamples;

    explicit Particles (juce::OpenGLContext& context);

    /** samples: the scope's 4 channels (left ear from each loudspeaker, then right ear from each), n samples. */
    void updateVertices (const juce::AudioBuffer<float>& samples);

    VertexBuffer particleBuffer;
};
} // namespace corvane
