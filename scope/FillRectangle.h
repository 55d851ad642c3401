#pragma once

#include "scope/Mesh.h"

namespace corvane
{
/** Two triangles over the whole viewport: drawn once to fade the trail image and once to compose it over the
    background. */
struct FillRectangle : Mesh
{
    explicit FillRectangle (juce::OpenGLContext& context);

    void draw (juce::OpenGLContext& context, ShaderAttributes& attributes) override;

private:
    void createVertices();
};
} // namespace corvane
