#include "scope/Particles.h"
#include "scope/ScopeShaders.h"
#include "support/GLTestContext.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace juce::gl;

namespace
{
using Uniform = juce::OpenGLShaderProgram::Uniform;

/** The scope's program and points, made on the GL thread. The program also hands each vertex's gl_Position to
    transform feedback, which finds points out of view too; what the renderer draws with it is its own test. */
struct Scene
{
    explicit Scene (juce::OpenGLContext& c)
        : shader (c)
        , particles (c)
    {
        // Recording gl_Position changes nothing that the program draws.
        const GLchar* recorded[] = { "gl_Position" };
        linked = shader.addVertexShader (juce::OpenGLHelpers::translateVertexShaderToV3 (vertexShaderSource))
              && shader.addFragmentShader (juce::OpenGLHelpers::translateFragmentShaderToV3 (fragmentShaderSource));
        glTransformFeedbackVaryings (shader.getProgramID(), 1, recorded, GL_INTERLEAVED_ATTRIBS);
        linked = linked && shader.link();
        error = shader.getLastError();

        if (! linked)
            return;

        shader.use();
        attributes = std::make_unique<ShaderAttributes> (shader);
    }

    void setJob (int renderToOffScreen, int transparentRectangle, int isZemOn, float aspectRatio)
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

    juce::OpenGLShaderProgram shader;
    Particles particles;
    std::unique_ptr<ShaderAttributes> attributes;
    juce::String error;
    bool linked = false;
};
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
