#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#if JUCE_LINUX
    #include <dlfcn.h>
#endif

namespace
{
/** What a JUCE application does at start-up and a console program must do itself: Xlib is made safe for the
    threads that windows and OpenGL contexts use, before anything else touches it; and the harmless errors of an
    X server without a window manager are ignored, where Xlib would otherwise end the process. */
void prepareXlib()
{
#if JUCE_LINUX
    if (auto* x11 = dlopen ("libX11.so.6", RTLD_LAZY | RTLD_GLOBAL))
    {
        using InitThreads = int (*)();
        using Handler = int (*) (void*, void*);
        using SetHandler = Handler (*) (Handler);

        if (auto initThreads = reinterpret_cast<InitThreads> (dlsym (x11, "XInitThreads")))
            initThreads();

        if (auto setHandler = reinterpret_cast<SetHandler> (dlsym (x11, "XSetErrorHandler")))
            setHandler ([] (void*, void*) { return 0; });
    }
#endif
}
} // namespace

int main (int argc, char** argv)
{
    prepareXlib();
    testing::InitGoogleTest (&argc, argv);
    juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
