#pragma once

#include <juce_opengl/juce_opengl.h>

#include <atomic>
#include <functional>

namespace corvane::test
{
/** A real OpenGL context (Mesa's software renderer under the tests' X server) attached to a small window, for
    tests that must run code on the GL path as it reaches the driver. run() executes a function on the context's
    thread with the context current and waits for it. */
class GLTestContext : private juce::OpenGLRenderer
{
public:
    explicit GLTestContext (int width = 64, int height = 64);
    ~GLTestContext() override;

    /** False when no context could be made; the caller then skips its test. */
    bool isReady() const noexcept { return created.load(); }

    void run (std::function<void (juce::OpenGLContext&)> function);

    juce::OpenGLContext context;

private:
    void newOpenGLContextCreated() override { created.store (true); }
    void renderOpenGL() override {}
    void openGLContextClosing() override {}

    juce::Component window;
    std::atomic<bool> created { false };
};

/** Reads the pixels of the frame buffer that is current, bottom row first as OpenGL stores them; call on the GL
    thread. Each pixel is RGBA, 8 bits a channel. */
std::vector<juce::PixelARGB> readPixels (int width, int height);
} // namespace corvane::test
