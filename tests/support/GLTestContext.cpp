#include "GLTestContext.h"

#include "TestSignals.h"

namespace corvane::test
{
GLTestContext::GLTestContext (int width, int height)
{
    window.setSize (width, height);
    window.addToDesktop (0);
    window.setVisible (true);

    // Nothing is painted through the component, so the render thread need not take the message thread's lock.
    context.setComponentPaintingEnabled (false);
    context.setRenderer (this);
    context.attachTo (window);

    pumpMessagesUntil ([this] { return created.load(); });
}

GLTestContext::~GLTestContext()
{
    context.detach();
    window.removeFromDesktop();
}

void GLTestContext::run (std::function<void (juce::OpenGLContext&)> function)
{
    context.executeOnGLThread ([&function] (juce::OpenGLContext& c) { function (c); }, true);
}

std::vector<juce::PixelARGB> readPixels (int width, int height)
{
    std::vector<juce::uint8> rgba (static_cast<size_t> (width * height * 4));
    juce::gl::glPixelStorei (juce::gl::GL_PACK_ALIGNMENT, 1);
    juce::gl::glReadPixels (0, 0, width, height, juce::gl::GL_RGBA, juce::gl::GL_UNSIGNED_BYTE, rgba.data());

    std::vector<juce::PixelARGB> pixels;
    pixels.reserve (static_cast<size_t> (width * height));

    for (size_t i = 0; i < rgba.size(); i += 4)
        pixels.emplace_back (rgba[i + 3], rgba[i], rgba[i + 1], rgba[i + 2]);

    return pixels;
}
} // namespace corvane::test
