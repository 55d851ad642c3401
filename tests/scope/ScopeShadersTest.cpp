#include "scope/ScopeShaders.h"
#include "support/GLTestContext.h"

#include <gtest/gtest.h>

using namespace corvane;

TEST (ScopeShaders, CompileAndLinkAsTheContextTranslatesThem)
{
    test::GLTestContext gl;
    ASSERT_TRUE (gl.isReady());

    juce::String log;
    bool linked = false;

    gl.run ([&] (juce::OpenGLContext& context) {
        juce::OpenGLShaderProgram program (context);
        linked = program.addVertexShader (juce::OpenGLHelpers::translateVertexShaderToV3 (vertexShaderSource))
              && program.addFragmentShader (juce::OpenGLHelpers::translateFragmentShaderToV3 (fragmentShaderSource))
              && program.link();
        log = program.getLastError();
    });

    EXPECT_TRUE (linked) << log;
}
