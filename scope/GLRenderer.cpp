#include "scope/GLRenderer.h"

#include "interfaces/ParameterIds.h"

#include <BinaryData.h>

namespace corvane
{
using namespace juce::gl;

GLRenderer::Uniforms::Uniforms (juce::OpenGLShaderProgram& program)
    : renderToOffScreen (program, "renderToOffScreen")
    , backgroundTexture (program, "backgroundTexture")
    , offscreenFbo (program, "offscreenFbo")
    , transparentRectangle (program, "transparentRectangle")
    , isZemOn (program, "isZemOn")
    , aspectRatio (program, "aspectRatio")
{
}

GLRenderer::GLRenderer (IProcessorStateProvider& stateProviderToUse,
                        IAudioSampleProvider& sampleProviderToUse,
                        juce::OpenGLContext& context,
                        const char* vertexTextToUse,
                        const char* fragmentTextToUse)
    : stateProvider (stateProviderToUse)
    , sampleProvider (sampleProviderToUse)
    , openGLContext (context)
    , vertexText (vertexTextToUse)
    , fragmentText (fragmentTextToUse)
{
    // A context can hold only one target and is configured only while it has none.
    if (openGLContext.getTargetComponent() != nullptr)
        openGLContext.detach();

    // Nothing is drawn through components here, so the render thread need not take the message thread's lock.
    openGLContext.setComponentPaintingEnabled (false);
    openGLContext.setRenderer (this);
    openGLContext.attachTo (*this);
}

GLRenderer::~GLRenderer()
{
    // Hidden, the context is not attached but still watches this component, and would later reach it deleted.
    if (openGLContext.getTargetComponent() == this)
        openGLContext.detach();
}

void GLRenderer::resized()
{
    const std::lock_guard<std::mutex> lock (mutex);
    pendingWidth = getWidth();
    pendingHeight = getHeight();
    needsResize = true;
    pendingAspectRatio = (float) getWidth() / (float) getHeight();
}

void GLRenderer::createShaders()
{
    auto program = std::make_unique<juce::OpenGLShaderProgram> (openGLContext);

    if (! (program->addVertexShader (juce::OpenGLHelpers::translateVertexShaderToV3 (vertexText))
           && program->addFragmentShader (juce::OpenGLHelpers::translateFragmentShaderToV3 (fragmentText))
           && program->link()))
    {
        DBG ("Scope shaders: " << program->getLastError());
        return;
    }

    shader = std::move (program);
    shader->use();
    particles = std::make_unique<Particles> (openGLContext);
    fillRectangle = std::make_unique<FillRectangle> (openGLContext);
    attributes = std::make_unique<Attributes> (*shader);
    uniforms = std::make_unique<Uniforms> (*shader);
}

void GLRenderer::rebuildFrameBuffer (int frameBufferWidth, int frameBufferHeight)
{
    // Opaque black, so that a rebuilt trail image starts without trails.
    frameBuffer.initialise (openGLContext, frameBufferWidth, frameBufferHeight);
    frameBuffer.makeCurrentRenderingTarget();
    juce::OpenGLHelpers::clear (juce::Colour::fromFloatRGBA (0.0f, 0.0f, 0.0f, 1.0f));
    frameBuffer.releaseAsRenderingTarget();

    lastFrame.frameBufferWidth = frameBuffer.getWidth();
    lastFrame.frameBufferHeight = frameBuffer.getHeight();
}

void GLRenderer::loadBackground (bool dark)
{
    const auto picture = dark ? juce::ImageCache::getFromMemory (BinaryData::ScopeDark_jpg, BinaryData::ScopeDark_jpgSize)
                              : juce::ImageCache::getFromMemory (BinaryData::ScopeLight_jpg, BinaryData::ScopeLight_jpgSize);
    backgroundTexture.loadImage (rescaleToPowerOfTwo (picture));
}

void GLRenderer::newOpenGLContextCreated()
{
    createShaders();
    rebuildFrameBuffer (width, height);
    loadBackground (shownIsDark);

    // The first frame rebuilds the frame buffer at the scale it renders with.
    const std::lock_guard<std::mutex> lock (mutex);
    needsResize = true;
}

void GLRenderer::openGLContextClosing()
{
    shader.reset();
    particles.reset();
    attributes.reset();
    uniforms.reset();
    fillRectangle.reset();
    frameBuffer.release();
    backgroundTexture.release();

    lastFrame.drew = false;
}

void GLRenderer::renderOpenGL()
{
    {
        const std::lock_guard<std::mutex> lock (mutex);
        const auto scale = (float) openGLContext.getRenderingScale();

        if (needsResize || renderingScale != scale)
        {
            width = pendingWidth;
            height = pendingHeight;
            aspectRatio = pendingAspectRatio;
            needsResize = false;
            renderingScale = scale;
            rebuildFrameBuffer ((int) ((float) width * scale), (int) ((float) height * scale));
        }
    }

    if (const bool dark = isDark.load(); dark != shownIsDark)
    {
        shownIsDark = dark;
        loadBackground (dark);
    }

    // Only the newest samples are drawn; the frame's buffer refers to storage made once, so nothing is allocated.
    auto numSamples = sampleProvider.getNumReady();

    if (numSamples > maximumSamplesPerFrame)
    {
        sampleProvider.skip (numSamples - maximumSamplesPerFrame);
        numSamples = maximumSamplesPerFrame;
    }

    numSamples = juce::jmax (0, numSamples);
    juce::AudioBuffer<float> frameSamples (sampleBuffer.getArrayOfWritePointers(), sampleBuffer.getNumChannels(), numSamples);
    frameSamples.clear();

    if (numSamples > 0)
        sampleProvider.read (frameSamples);

    const auto zemOn = stateProvider.getBoolValue (zemOnParameterID);

    lastFrame.points = 2 * numSamples;
    ++lastFrame.count;

    // Without a program (it failed to build) or a trail image, nothing is drawn.
    if (shader == nullptr || ! frameBuffer.isValid())
        return;

    glEnable (GL_DEPTH_TEST);
    glClear (GL_DEPTH_BUFFER_BIT);
    glDepthFunc (GL_LESS);
    glEnable (GL_BLEND);
    glBlendFunc (GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable (GL_TEXTURE_2D);
    glTexParameteri (GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri (GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glActiveTexture (GL_TEXTURE0);
    backgroundTexture.bind();
    glActiveTexture (GL_TEXTURE1);

    // The frame buffer is sized by truncation, the viewport by rounding: they may differ by a pixel.
    const auto viewportWidth = juce::roundToInt ((float) width * renderingScale);
    const auto viewportHeight = juce::roundToInt ((float) height * renderingScale);
    glViewport (0, 0, viewportWidth, viewportHeight);

    shader->use();
    uniforms->backgroundTexture.set ((GLint) 0);
    uniforms->offscreenFbo.set ((GLint) 1);
    uniforms->aspectRatio.set (aspectRatio);
    uniforms->renderToOffScreen.set ((GLint) 1);

    // Off screen: fade the trails, then add this frame's points.
    frameBuffer.makeCurrentRenderingTarget();
    uniforms->transparentRectangle.set ((GLint) 1);
    fillRectangle->draw (openGLContext, *attributes);
    uniforms->transparentRectangle.set ((GLint) 0);
    uniforms->isZemOn.set ((GLint) (zemOn ? 1 : 0));

    glBindBuffer (GL_ARRAY_BUFFER, particles->particleBuffer.bufferID);
    particles->updateVertices (frameSamples);
    glPointSize (renderingScale);

    if (attributes->position != nullptr)
    {
        glVertexAttribPointer (attributes->position->attributeID, 3, GL_FLOAT, GL_FALSE, sizeof (Vertex), nullptr);
        glEnableVertexAttribArray (attributes->position->attributeID);
    }

    glDrawArrays (GL_POINTS, 0, 2 * numSamples);

    if (attributes->position != nullptr)
        glDisableVertexAttribArray (attributes->position->attributeID);

    frameBuffer.releaseAsRenderingTarget();

    // On screen: the trail image, bound on unit 1, over the background.
    glBindTexture (GL_TEXTURE_2D, frameBuffer.getTextureID());
    uniforms->renderToOffScreen.set ((GLint) 0);
    fillRectangle->draw (openGLContext, *attributes);

    glBindBuffer (GL_ARRAY_BUFFER, 0);
    glBindBuffer (GL_ELEMENT_ARRAY_BUFFER, 0);

    lastFrame.viewportWidth = viewportWidth;
    lastFrame.viewportHeight = viewportHeight;
    lastFrame.drew = true;
}

juce::Image rescaleToPowerOfTwo (juce::Image image)
{
    const auto nextPowerOfTwo = [] (int value) { return juce::jmin (juce::nextPowerOfTwo (value), 1024); };

    if (juce::isPowerOfTwo (image.getWidth()) && juce::isPowerOfTwo (image.getHeight()))
        return image;

    return image.rescaled (nextPowerOfTwo (image.getWidth()), nextPowerOfTwo (image.getHeight()), juce::Graphics::mediumResamplingQuality);
}
} // namespace corvane
