#pragma once

#include "interfaces/IAudioSampleProvider.h"
#include "interfaces/IProcessorStateProvider.h"
#include "scope/FillRectangle.h"
#include "scope/Particles.h"
#include "scope/ScopeShaders.h"
#include "scope/ShaderAttributes.h"

#include <juce_opengl/juce_opengl.h>

#include <atomic>
#include <memory>
#include <mutex>

namespace corvane
{
/** The scope's drawing surface: every frame it takes the newest samples of the ring, draws them as points into an
    off-screen image in which earlier frames fade, and composes that image over the skin's scope background.

    Threads:
    - Message thread: the constructor, the destructor, resized() and writes of isDark.
    - The context's OpenGL thread: newOpenGLContextCreated(), renderOpenGL() and openGLContextClosing(), with the
      context current (JUCE may also run openGLContextClosing() on the message thread while it detaches; it
      holds the render thread off then). Every GL object is made, used and released there, and every other field
      belongs to that thread, except:
    - the pending size, its aspect ratio and needsResize, which resized() writes and the resize step of a frame
      takes under mutex (held through the frame buffer's rebuild, so a size is applied whole);
    - isDark, an atomic that the message thread writes and the frame reads;
    - the LastFrame figures, atomics the frame publishes for any thread to read.
    The samples come through IAudioSampleProvider, whose ring serves this one reader without locks; "ZEM On" is a
    lock-free parameter read. A frame allocates nothing: the samples land in storage made here once, the meshes'
    buffers are made once per context, and only a size or skin change rebuilds the frame buffer or the texture.

    Teardown: the renderer detaches the context only while the context targets it (also when it is hidden and so
    not attached), so a renderer never leaves a context watching a deleted component, and a context that its
    owner detached first is left alone. The context must outlive the renderer. */
struct GLRenderer : public juce::Component
    , public juce::OpenGLRenderer
{
    using Attributes = ShaderAttributes;

    /** Handles of the program's uniforms; a name the linked program lacks gets a handle that sets nothing. */
    struct Uniforms
    {
        explicit Uniforms (juce::OpenGLShaderProgram& program);

        juce::OpenGLShaderProgram::Uniform renderToOffScreen, backgroundTexture, offscreenFbo, transparentRectangle, isZemOn, aspectRatio;
    };

    /** What the frames did, for tests and diagnostics; written by the OpenGL thread, read by any. */
    struct LastFrame
    {
        std::atomic<int> count { 0 };
        std::atomic<int> points { 0 };
        std::atomic<bool> drew { false };
        std::atomic<int> frameBufferWidth { 0 }, frameBufferHeight { 0 };
        std::atomic<int> viewportWidth { 0 }, viewportHeight { 0 };
    };

    /** Attaches the context to this renderer, which it must not be attached to yet. The shader texts are the
        scope's own unless a test hands in others; they must outlive the renderer. */
    GLRenderer (IProcessorStateProvider& stateProvider,
                IAudioSampleProvider& sampleProvider,
                juce::OpenGLContext& context,
                const char* vertexText = vertexShaderSource,
                const char* fragmentText = fragmentShaderSource);
    ~GLRenderer() override;

    void resized() override;

    void newOpenGLContextCreated() override;
    void renderOpenGL() override;
    void openGLContextClosing() override;

    const LastFrame& getLastFrame() const noexcept { return lastFrame; }

    /** The frame's samples at most: older ones are skipped so that the picture never lags behind the audio. */
    static constexpr int maximumSamplesPerFrame = Particles::maximumSamples;

    IProcessorStateProvider& stateProvider;
    IAudioSampleProvider& sampleProvider;
    juce::OpenGLContext& openGLContext;

    juce::AudioBuffer<float> sampleBuffer { 4, maximumSamplesPerFrame };
    juce::OpenGLTexture backgroundTexture;
    juce::OpenGLFrameBuffer frameBuffer;
    std::unique_ptr<Particles> particles;
    std::unique_ptr<FillRectangle> fillRectangle;
    std::unique_ptr<juce::OpenGLShaderProgram> shader;
    std::unique_ptr<Attributes> attributes;
    std::unique_ptr<Uniforms> uniforms;

    float renderingScale = 1.0f;
    float aspectRatio = 1.0f;
    float pendingAspectRatio = 1.0f;
    bool needsResize = true;
    std::atomic<bool> isDark { false };
    bool shownIsDark = false;
    int width = 300, height = 300;
    int pendingWidth = 300, pendingHeight = 300;
    std::mutex mutex;

private:
    void createShaders();
    void rebuildFrameBuffer (int frameBufferWidth, int frameBufferHeight);
    void loadBackground (bool dark);
    int takeSamples (juce::AudioBuffer<float>& frameSamples);

    const char* const vertexText;
    const char* const fragmentText;
    LastFrame lastFrame;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GLRenderer)
};

/** The image itself when both sides are powers of two, else the image rescaled up to the next power of two on each
    side, at most 1024, as older graphics cards need for textures. */
juce::Image rescaleToPowerOfTwo (juce::Image image);
} // namespace corvane
