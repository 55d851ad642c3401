#include "support/GLTestContext.h"

#include <gtest/gtest.h>

TEST (GLTestContext, ClearsAndReadsBackOnTheContextsThread)
{
    corvane::test::GLTestContext gl (16, 8);
    ASSERT_TRUE (gl.isReady());

    std::vector<juce::PixelARGB> pixels;
    juce::String version;
    gl.run ([&] (juce::OpenGLContext&) {
        juce::OpenGLHelpers::clear (juce::Colour::fromFloatRGBA (1.0f, 0.0f, 0.0f, 1.0f));
        pixels = corvane::test::readPixels (16, 8);
        version = juce::String ((const char*) juce::gl::glGetString (juce::gl::GL_VERSION));
    });

    std::cout << "GL version: " << version << "\n";
    ASSERT_EQ (pixels.size(), 128u);
    EXPECT_EQ (pixels[0].getRed(), 255);
    EXPECT_EQ (pixels[0].getGreen(), 0);
}
