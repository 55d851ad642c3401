#include "scope/FillRectangle.h"
#include "scope/Particles.h"
#include "scope/ScopeShaders.h"
#include "support/GLTestContext.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace juce::gl;

namespace
{
constexpr int size = 201;

using Uniform = juce::OpenGLShaderProgram::Uniform;

/** The scope's program, meshes, trail image and a black background as the renderer sets them up, made on the GL thread.
    The program also hands each vertex's gl_Position to transform feedback, which finds points out of view too. */
struct Scene
{
    explicit Scene (juce::OpenGLContext& c)
        : context (c)
        , shader (c)
        , particles (c)
        , rectangle (c)
    {
        // Recording gl_Position changes nothing that the program draws.
        const GLchar* recorded[] = { "gl_Position" };
        linked = shader.addVertexShader (juce::OpenGLHelpers::translateVertexShaderToV3 (vertexShaderSource))
              && shader.addFragmentShader (juce::OpenGLHelpers::translateFragmentShaderToV3 (fragmentShaderSource));
        glTransformFeedbackVaryings (shader.getProgramID(), 1, recorded, GL_INTERLEAVED_ATTRIBS);
        linked = linked && shader.link();
        error = shader.getLastError();
        trail.initialise (context, size, size);
        screen.initialise (context, size, size);
        trail.clear (juce::Colours::black);
        glActiveTexture (GL_TEXTURE0);
        background.loadImage (juce::Image (juce::Image::RGB, 4, 4, true));
        glActiveTexture (GL_TEXTURE1);

        if (! linked)
            return;

        shader.use();
        attributes = std::make_unique<ShaderAttributes> (shader);
        glEnable (GL_DEPTH_TEST);
        glDepthFunc (GL_LESS);
        glEnable (GL_BLEND);
        glBlendFunc (GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glViewport (0, 0, size, size);
        Uniform (shader, "backgroundTexture").set ((GLint) 0);
        Uniform (shader, "offscreenFbo").set ((GLint) 1);
    }

    void setJob (int renderToOffScreen, int transparentRectangle, int isZemOn = 0, float aspectRatio = 1.0f)
    {
        Uniform (shader, "renderToOffScreen").set ((GLint) renderToOffScreen);
        Uniform (shader, "transparentRectangle").set ((GLint) transparentRectangle);
        Uniform (shader, "isZemOn").set ((GLint) isZemOn);
        Uniform (shader, "aspectRatio").set (aspectRatio);
    }

    void drawPoints (int count)
    {
        glBindBuffer (GL_ARRAY_BUFFER, particles.particleBuffer.bufferID);
        glVertexAttribPointer (attributes->position->attributeID, 3, GL_FLOAT, GL_FALSE, sizeof (Vertex), nullptr);
        glEnableVertexAttribArray (attributes->position->attributeID);
        glDrawArrays (GL_POINTS, 0, count);
        glDisableVertexAttribArray (attributes->position->attributeID);
    }

    /** The off-screen pass of one frame without "ZEM On": the fade, then the frame's points. */
    void drawTrail (const juce::AudioBuffer<float>& samples)
    {
        trail.makeCurrentRenderingTarget();
        setJob (1, 1);
        rectangle.draw (context, *attributes);
        setJob (1, 0);
        glBindBuffer (GL_ARRAY_BUFFER, particles.particleBuffer.bufferID);
        particles.updateVertices (samples);
        drawPoints (2 * samples.getNumSamples());
        trail.releaseAsRenderingTarget();
    }

    /** The trail image over the background, read back. */
    std::vector<juce::PixelARGB> compose()
    {
        screen.makeCurrentRenderingTarget();
        glBindTexture (GL_TEXTURE_2D, trail.getTextureID());
        setJob (0, 0);
        rectangle.draw (context, *attributes);
        auto pixels = test::readPixels (size, size);
        screen.releaseAsRenderingTarget();
        return pixels;
    }

    juce::OpenGLContext& context;
    juce::OpenGLShaderProgram shader;
    Particles particles;
    FillRectangle rectangle;
    juce::OpenGLFrameBuffer trail, screen;
    juce::OpenGLTexture background;
    std::unique_ptr<ShaderAttributes> attributes;
    juce::String error;
    bool linked = false;
};

/** Index into test::readPixels of the pixel that a point at (x, y) in the view covers. */
size_t pixelAt (float x, float y)
{
    return static_cast<size_t> ((y + 1.0f) * 0.5f * size) * size + static_cast<size_t> ((x + 1.0f) * 0.5f * size);
}

bool isBlack (juce::PixelARGB p) { return p.getRed() == 0 && p.getGreen() == 0 && p.getBlue() == 0; }
} // namespace

TEST (ScopeShaders, PlacesPointsAndRectangleCornersAsTheDrawsFlagsSay)
{
    struct Case
    {
        const char* what;
        int renderToOffScreen, transparentRectangle, isZemOn;
        float aspectRatio;
        Vertex point;
        float x, y;
    };

    const Case cases[] = {
        { "left pair", 1, 0, 1, 1.0f, { 0.0f, 0.01f, 1.0f }, -0.6146f, 0.2514f },
        { "left pair beyond the square", 1, 0, 1, 1.0f, { 0.0f, 0.01f, -1.0f }, -0.6146f, 0.2514f },
        { "right pair", 1, 0, 1, 1.0f, { 0.0f, 0.01f, 2.0f }, 0.6298f, 0.2514f },
        { "right pair beyond the square", 1, 0, 1, 1.0f, { 0.0f, 0.01f, -2.0f }, 0.6298f, 0.2514f },
        { "height scaled by the aspect ratio", 1, 0, 1, 2.0f, { 0.0f, 0.01f, 1.0f }, -0.6146f, 0.5028f },
        { "silence out of view", 1, 0, 1, 1.0f, { 0.0f, 0.0f, 1.0f }, -34.24f, 58.61f },
        { "left pair, ZEM off", 1, 0, 0, 1.0f, { 0.0f, 0.01f, 1.0f }, -1.01f, -0.9f },
        { "left pair beyond, ZEM off", 1, 0, 0, 1.0f, { 0.0f, 0.01f, -1.0f }, -1.01f, -0.9f },
        { "right pair, ZEM off", 1, 0, 0, 1.0f, { 0.0f, -0.01f, 2.0f }, 0.99f, -0.9f },
        { "ZEM off ignores the aspect ratio", 1, 0, 0, 2.0f, { 0.0f, -0.01f, -2.0f }, 0.99f, -0.9f },
        { "fade rectangle corner", 1, 1, 1, 2.0f, { -1.0f, 1.0f, 0.0f }, -1.0f, 1.0f },
        { "composite rectangle corner", 0, 0, 1, 0.5f, { 1.0f, -1.0f, 0.0f }, 1.0f, -1.0f },
    };

    test::GLTestContext gl;
    ASSERT_TRUE (gl.isReady());
    juce::String error;
    std::vector<std::array<float, 4>> positions;

    gl.run ([&] (juce::OpenGLContext& context) {
        Scene scene (context);
        error = scene.error;
        GLuint recorded = 0;
        glGenBuffers (1, &recorded);
        glBindBuffer (GL_TRANSFORM_FEEDBACK_BUFFER, recorded);
        glBufferData (GL_TRANSFORM_FEEDBACK_BUFFER, 16, nullptr, GL_DYNAMIC_READ);
        glBindBufferBase (GL_TRANSFORM_FEEDBACK_BUFFER, 0, recorded);
        glEnable (GL_RASTERIZER_DISCARD);

        for (const auto& c : cases)
        {
            if (! scene.linked)
                break;

            scene.setJob (c.renderToOffScreen, c.transparentRectangle, c.isZemOn, c.aspectRatio);
            scene.particles.particleBuffer.vertices.set (0, c.point);
            glBindBuffer (GL_ARRAY_BUFFER, scene.particles.particleBuffer.bufferID);
            scene.particles.particleBuffer.upload();
            glBeginTransformFeedback (GL_POINTS);
            scene.drawPoints (1);
            glEndTransformFeedback();
            glGetBufferSubData (GL_TRANSFORM_FEEDBACK_BUFFER, 0, 16, positions.emplace_back().data());
        }

        glDisable (GL_RASTERIZER_DISCARD);
        glDeleteBuffers (1, &recorded);
    });

    ASSERT_EQ (positions.size(), std::size (cases)) << error;

    for (size_t i = 0; i < positions.size(); ++i)
    {
        const auto& c = cases[i];
        SCOPED_TRACE (c.what);
        EXPECT_NEAR (positions[i][0], c.x, std::max (1.0e-3f, std::abs (c.x) * 1.0e-3f));
        EXPECT_NEAR (positions[i][1], c.y, std::max (1.0e-3f, std::abs (c.y) * 1.0e-3f));
        EXPECT_EQ (positions[i][3], 1.0f);
    }
}

TEST (ScopeShaders, ColoursPointsByTheirCodeAndFadesTheirTrailsOutOfTheComposite)
{
    // Without "ZEM On", side 0's point on the square's edge (y = -1) lands at (0, -0.9) and the one beyond it
    // (y = -1.1) at (0.1, -0.9); side 1's points land out of view.
    juce::AudioBuffer<float> samples (4, 2);

    for (int channel = 0; channel < 4; ++channel)
    {
        samples.setSample (channel, 0, channel % 2 == 0 ? -1.0f : 1.0f);
        samples.setSample (channel, 1, channel % 2 == 0 ? -1.1f : 1.0f);
    }

    const auto edge = pixelAt (0.0f, -0.9f), beyond = pixelAt (0.1f, -0.9f);
    test::GLTestContext gl;
    ASSERT_TRUE (gl.isReady());
    juce::String error;
    std::vector<juce::PixelARGB> first;
    int edgeFrames = -1, beyondFrames = -1;

    gl.run ([&] (juce::OpenGLContext& context) {
        Scene scene (context);
        error = scene.error;

        if (! scene.linked)
            return;

        scene.drawTrail (samples);
        first = scene.compose();

        for (int further = 1; further <= 60; ++further)
        {
            scene.drawTrail (juce::AudioBuffer<float> (4, 0));
            const auto pixels = scene.compose();

            if (edgeFrames < 0 && isBlack (pixels[edge]))
                edgeFrames = further - 1;

            if (beyondFrames < 0 && isBlack (pixels[beyond]))
                beyondFrames = further - 1;
        }
    });

    ASSERT_EQ (first.size(), static_cast<size_t> (size * size)) << error;

    for (size_t i = 0; i < first.size(); ++i)
        ASSERT_TRUE (i == edge || i == beyond || isBlack (first[i])) << "stray pixel " << i;

    // Cyan at alpha 0.9 over black keeps a red of about 0.3494; beyond the square the point is full red.
    EXPECT_NEAR (first[edge].getRed(), 0.3494 * 255, 1.5);
    EXPECT_GT (first[edge].getGreen(), first[edge].getRed());
    EXPECT_GT (first[edge].getBlue(), first[edge].getGreen());
    EXPECT_EQ (first[beyond].getRed(), 255);
    EXPECT_EQ (first[beyond].getGreen() + first[beyond].getBlue(), 0);

    // Each frame keeps 0.9, frames without samples included, until red falls below 0.03.
    EXPECT_NEAR (edgeFrames, 23, 2);
    EXPECT_NEAR (beyondFrames, 33, 2);
}
