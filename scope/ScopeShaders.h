#pragma once

namespace corvane
{
/** The scope's one program, in GLSL 1.10 forms without a version line: JUCE's translation turns them into the
    forms of the context's GLSL version before they reach the compiler.

    "renderToOffScreen" and "transparentRectangle" choose the job of a draw: the fade of the trail image, the
    particles into it, or the composite of the trail image over the background. With "isZemOn" the particles of
    each loudspeaker's pair are drawn as a fan on a logarithmic radius, else as the plain output of each side. */
extern const char* const vertexShaderSource;
extern const char* const fragmentShaderSource;
} // namespace corvane
