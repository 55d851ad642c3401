#include "scope/ScopeShaders.h"

namespace corvane
{
const char* const vertexShaderSource = R"glsl(
attribute vec4 position;

uniform bool renderToOffScreen;
uniform bool transparentRectangle;
uniform bool isZemOn;
uniform float aspectRatio;

varying vec2 textureCoordOut;
varying vec3 vPosition;

vec2 rotate (vec2 p, float rad)
{
    return vec2 (p.x * cos (rad) - p.y * sin (rad), p.x * sin (rad) + p.y * cos (rad));
}

float deg2Rad (float deg)
{
    return 3.141592 * (deg / 180.0);
}

void main()
{
    textureCoordOut = (position.xy + vec2 (1.0, 1.0)) / 2.0;
    vPosition = position.xyz;

    if (! renderToOffScreen || transparentRectangle)
    {
        gl_Position = vec4 (position.x, position.y, 0.0, 1.0);
        return;
    }

    // z is 2 or -2 for the right loudspeaker's pair, 1 or -1 for the left's.
    bool isSpeakerLeft = mod (position.z, 2.0) == 0.0;
    vec2 pos = position.xy;

    if (isZemOn)
    {
        pos = rotate (pos, deg2Rad (isSpeakerLeft ? -45.0 : 45.0));

        if (pos.y > 0.0)
            pos = -pos;

        pos.x = pos.x * 2.0;
        pos.y = -log (abs (pos.y * 100.0) + 1.0);

        // Silence is moved far outside the view rather than drawn as a dot.
        if (abs (pos.y) < 0.001)
            pos.y = 100.0;

        pos.y = pos.y * 0.67;
        pos.x = pos.x * 4.0;
        pos = rotate (pos, deg2Rad (isSpeakerLeft ? 30.0 : -30.0));

        vec2 offset = vec2 (0.76, 0.59);
        pos.x = pos.x - offset.x + (isSpeakerLeft ? 0.0 : offset.x * 1.98);
        pos.y = pos.y + offset.y;

        gl_Position = vec4 (-pos.x, pos.y * aspectRatio, 0.0, 1.0);
    }
    else
    {
        pos.x = -pos.x;
        pos = rotate (pos, deg2Rad (isSpeakerLeft ? -90.0 : 90.0));
        pos.x = pos.x + 1.0 - (isSpeakerLeft ? 0.0 : 2.0);
        pos.y = pos.y - 0.9;

        gl_Position = vec4 (pos.x, pos.y, 0.0, 1.0);
    }
}
)glsl";

const char* const fragmentShaderSource = R"glsl(
uniform bool renderToOffScreen;
uniform bool transparentRectangle;
uniform sampler2D backgroundTexture;
uniform sampler2D offscreenFbo;

varying vec2 textureCoordOut;
varying vec3 vPosition;

void main()
{
    if (renderToOffScreen)
    {
        if (transparentRectangle)
            gl_FragColor = vec4 (0.0, 0.0, 0.0, 0.1);
        else if (vPosition.z > 0.0)
            gl_FragColor = vec4 (vec3 (0.43137254902, 0.87, 0.9847) * 0.9, 0.9);
        else
            gl_FragColor = vec4 (10.0, 0.0, 0.0, 1.0);
    }
    else
    {
        vec4 particle = texture2D (offscreenFbo, textureCoordOut);

        // Faint trails count as black, so that the fade ends.
        if (particle.r < 0.03)
            particle = vec4 (0.0, 0.0, 0.0, 1.0);

        gl_FragColor = texture2D (backgroundTexture, textureCoordOut) + particle;
    }
}
)glsl";
} // namespace corvane
