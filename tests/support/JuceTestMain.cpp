#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#if JUCE_LINUX
    #include <dlfcn.h>
    #include <link.h>

    #include <cstring>
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

#if JUCE_LINUX && (defined(__SANITIZE_ADDRESS__) || defined(ZEM2_ASAN_RUNTIME))
/** Mesa unloads its OpenGL driver when the display that used it closes. What the driver's globals hold would then
    count as leaked, from a module LeakSanitizer can no longer name or suppress; so the driver stays loaded. */
extern "C" int dlclose (void* handle)
{
    static const auto unload = reinterpret_cast<int (*) (void*)> (dlsym (RTLD_NEXT, "dlclose"));
    link_map* library = nullptr;

    if (dlinfo (handle, RTLD_DI_LINKMAP, &library) == 0 && library != nullptr
        && std::strstr (library->l_name, "/dri/") != nullptr)
        return 0;

    return unload (handle);
}
#endif

int main (int argc, char** argv)
{
    prepareXlib();
    testing::InitGoogleTest (&argc, argv);
    juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
