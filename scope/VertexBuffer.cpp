#include "scope/VertexBuffer.h"

namespace corvane
{
using namespace juce::gl;

VertexBuffer::VertexBuffer (juce::OpenGLContext& contextToUse, int capacity)
    : context (contextToUse)
{
    glGenBuffers (1, &bufferID);
    glBindBuffer (GL_ARRAY_BUFFER, bufferID);

    vertices.insertMultiple (0, Vertex {}, capacity);
    glBufferData (GL_ARRAY_BUFFER,
                  static_cast<GLsizeiptr> (static_cast<size_t> (vertices.size()) * sizeof (Vertex)),
                  vertices.getRawDataPointer(),
                  GL_DYNAMIC_DRAW);
}

VertexBuffer::~VertexBuffer()
{
    glDeleteBuffers (1, &bufferID);
}

void VertexBuffer::upload()
{
    glBufferSubData (GL_ARRAY_BUFFER,
                     0,
                     static_cast<GLsizeiptr> (static_cast<size_t> (vertices.size()) * sizeof (Vertex)),
                     vertices.getRawDataPointer());
}
} // namespace corvane
