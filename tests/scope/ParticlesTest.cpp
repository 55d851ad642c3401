#include "scope/Particles.h"
#include "support/GLTestContext.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace juce::gl;

namespace
{
/** Runs updateVertices on each frame in turn, with particleBuffer bound as the renderer binds it, and returns, per
    frame, what main memory holds followed by what the GL buffer holds. */
std::vector<std::vector<Vertex>> runFrames (const std::vector<juce::AudioBuffer<float>>& frames)
{
    test::GLTestContext gl;
    std::vector<std::vector<Vertex>> held;

    if (gl.isReady())
    {
        gl.run ([&] (juce::OpenGLContext& context) {
            Particles particles (context);
            const auto& vertices = particles.particleBuffer.vertices;

            for (const auto& frame : frames)
            {
                glBindBuffer (GL_ARRAY_BUFFER, particles.particleBuffer.bufferID);
                particles.updateVertices (frame);
                auto& both = held.emplace_back (vertices.begin(), vertices.end());
                both.resize (2 * both.size());
                glGetBufferSubData (GL_ARRAY_BUFFER, 0, vertices.size() * (GLsizeiptr) sizeof (Vertex), both.data() + vertices.size());
            }
        });
    }

    return held;
}

bool same (const Vertex& a, const Vertex& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

/** Both ears of a side carry the same value, so each point is (0, value, side + 1). */
float ramp (int side, int i, float scale) { return (side == 0 ? scale : -scale) * static_cast<float> (i + 1) / 4096.0f; }

juce::AudioBuffer<float> makeRamp (int numSamples, float scale)
{
    juce::AudioBuffer<float> frame (4, numSamples);

    for (int channel = 0; channel < 4; ++channel)
        for (int i = 0; i < numSamples; ++i)
            frame.setSample (channel, i, ramp (channel % 2, i, scale));

    return frame;
}
} // namespace

TEST (Particles, MakesOnePointPerSidesPairWithACodeThatMarksPointsBeyondTheSquare)
{
    struct Case
    {
        int side;
        float a, b;
        Vertex expected;
    };

    const Case cases[] = {
        { 0, 0.25f, 0.75f, { 0.25f, 0.5f, 1.0f } },
        { 1, 1.5f, 0.5f, { -0.5f, 1.0f, 2.0f } },
        { 1, 1.5f, 0.7f, { -0.4f, 1.1f, -2.0f } },
        { 0, -1.0f, 1.5f, { 1.25f, 0.25f, -1.0f } },
    };

    std::vector<juce::AudioBuffer<float>> frames;

    for (const auto& c : cases)
    {
        auto& frame = frames.emplace_back (4, 1);
        frame.clear();
        frame.setSample (c.side, 0, c.a);
        frame.setSample (2 + c.side, 0, c.b);
    }

    const auto held = runFrames (frames);
    ASSERT_EQ (held.size(), frames.size());

    for (size_t i = 0; i < held.size(); ++i)
    {
        const auto& c = cases[i];
        const auto& got = held[i][static_cast<size_t> (c.side)];
        SCOPED_TRACE (i);
        EXPECT_FLOAT_EQ (got.x, c.expected.x);
        EXPECT_FLOAT_EQ (got.y, c.expected.y);
        EXPECT_EQ (got.z, c.expected.z);
        EXPECT_TRUE (same (held[i][4096 + static_cast<size_t> (c.side)], got)) << "uploaded";
    }
}

TEST (Particles, AFullFrameFillsEveryVertexAndAShorterOneLeavesTheRestAsTheyWere)
{
    const auto held = runFrames ({ makeRamp (2048, 1.0f), makeRamp (100, 0.5f) });
    ASSERT_EQ (held.size(), 2u);

    // Side s of a frame of n samples writes indices s n to s n + n - 1.
    const auto expected = [] (size_t index, int n, float scale) {
        const auto side = static_cast<int> (index) / n;
        return Vertex { 0.0f, ramp (side, static_cast<int> (index) % n, scale), static_cast<float> (side + 1) };
    };

    for (size_t frame = 0; frame < 2; ++frame)
    {
        ASSERT_EQ (held[frame].size(), 2u * 4096u) << "the array never grows";

        for (size_t i = 0; i < held[frame].size(); ++i)
        {
            const auto vertex = i % 4096;
            const auto want = frame == 1 && vertex < 200 ? expected (vertex, 100, 0.5f) : expected (vertex, 2048, 1.0f);
            ASSERT_TRUE (same (held[frame][i], want)) << "frame " << frame << (i < 4096 ? ", vertex " : ", uploaded vertex ") << vertex;
        }
    }
}
