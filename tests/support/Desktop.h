#pragma once

namespace corvane::test
{
/** Windows on the desktop of a bare X server without a window manager raise X errors that Xlib ends the process
    for by default; hosts and JUCE applications install a handler that ignores them, and so do the tests. */
void ignoreXErrors();
} // namespace corvane::test
