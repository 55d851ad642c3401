#include "scope/FillRectangle.h"

namespace corvane
{
FillRectangle::FillRectangle (juce::OpenGLContext& context)
    : Mesh (context, 6)
{
    createVertices();
}

void FillRectangle::createVertices()
{
    // The upper right half of the -1..1 square, then the lower left half.
    const Vertex corners[] = { { -1.0f, 1.0f, 0.0f }, { 1.0f, 1.0f, 0.0f }, { 1.0f, -1.0f, 0.0f }, { -1.0f, 1.0f, 0.0f }, { 1.0f, -1.0f, 0.0f }, { -1.0f, -1.0f, 0.0f } };

    auto& vertices = vertexBuffer.vertices;

    for (int i = 0; i < 6; ++i)
    {
        if (i < vertices.size())
            vertices.set (i, corners[i]);
        else
            vertices.add (corners[i]);
    }

    vertexBuffer.upload();
}

void FillRectangle::draw (juce::OpenGLContext& context, ShaderAttributes& attributes)
{
    Mesh::draw (context, attributes);
}
} // namespace corvane
