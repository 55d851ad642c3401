#pragma once

#include "scope/ShaderAttributes.h"
#include "scope/VertexBuffer.h"

namespace corvane
{
/** Something the scope's program draws from a vertex buffer of its own. Made only as a FillRectangle or as
    Particles, on the context's thread. */
struct Mesh
{
    Mesh (juce::OpenGLContext& context, int capacity);
    virtual ~Mesh() = default;

    /** Draws the whole buffer as triangles. */
    virtual void draw (juce::OpenGLContext& context, ShaderAttributes& attributes);

    VertexBuffer vertexBuffer;

protected:
    /** Points "position" at the bound buffer's packed vertices, when the program has it. */
    static void enablePosition (ShaderAttributes& attributes);
    static void disablePosition (ShaderAttributes& attributes);
};
} // namespace corvane
