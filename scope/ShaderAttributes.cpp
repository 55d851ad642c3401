#include "scope/ShaderAttributes.h"

namespace corvane
{
ShaderAttributes::ShaderAttributes (juce::OpenGLShaderProgram& program)
{
    if (juce::gl::glGetAttribLocation (program.getProgramID(), "position") >= 0)
        position = std::make_unique<juce::OpenGLShaderProgram::Attribute> (program, "position");
}
} // namespace corvane
