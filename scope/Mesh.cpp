#include "scope/Mesh.h"

namespace corvane
{
using namespace juce::gl;

Mesh::Mesh (juce::OpenGLContext& context, int capacity)
    : vertexBuffer (context, capacity)
{
}

void Mesh::enablePosition (ShaderAttributes& attributes)
{
    if (attributes.position == nullptr)
        return;

    glVertexAttribPointer (attributes.position->attributeID, 3, GL_FLOAT, GL_FALSE, sizeof (Vertex), nullptr);
    glEnableVertexAttribArray (attributes.position->attributeID);
}

void Mesh::disablePosition (ShaderAttributes& attributes)
{
    if (attributes.position != nullptr)
        glDisableVertexAttribArray (attributes.position->attributeID);
}

void Mesh::draw (juce::OpenGLContext&, ShaderAttributes& attributes)
{
    glBindBuffer (GL_ARRAY_BUFFER, vertexBuffer.bufferID);
    enablePosition (attributes);
    glDrawArrays (GL_TRIANGLES, 0, vertexBuffer.vertices.size());
    disablePosition (attributes);
}
} // namespace corvane
