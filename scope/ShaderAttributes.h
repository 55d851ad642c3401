#pragma once

#include <juce_opengl/juce_opengl.h>

#include <memory>

namespace corvane
{
/** The program's vertex attribute "position", present only when the linked program has it active. */
struct ShaderAttributes
{
    explicit ShaderAttributes (juce::OpenGLShaderProgram& program);

    std::unique_ptr<juce::OpenGLShaderProgram::Attribute> position;
};
} // namespace corvane
