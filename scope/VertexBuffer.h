#pragma once

#include "scope/Vertex.h"

#include <juce_opengl/juce_opengl.h>

namespace corvane
{
/** A vertex array in main memory paired with one OpenGL array buffer of the same size, made once per context and
    updated in place. Made, used and deleted on the context's thread with the context current; the constructor
    leaves the buffer bound to GL_ARRAY_BUFFER. */
struct VertexBuffer
{
    VertexBuffer (juce::OpenGLContext& context, int capacity);
    ~VertexBuffer();

    /** Uploads the whole array into the buffer bound to GL_ARRAY_BUFFER. */
    void upload();

    GLuint bufferID = 0;
    juce::OpenGLContext& context;
    juce::Array<Vertex> vertices;

    JUCE_DECLARE_NON_COPYABLE (VertexBuffer)
};
} // namespace corvane
