#include "Desktop.h"

#include <juce_core/juce_core.h>

#if JUCE_LINUX
    #include <dlfcn.h>
#endif

namespace corvane::test
{
void ignoreXErrors()
{
#if JUCE_LINUX
    using Handler = int (*) (void*, void*);
    using SetHandler = Handler (*) (Handler);

    if (auto* x11 = dlopen ("libX11.so.6", RTLD_LAZY))
        if (auto setHandler = reinterpret_cast<SetHandler> (dlsym (x11, "XSetErrorHandler")))
            setHandler ([] (void*, void*) { return 0; });
#endif
}
} // namespace corvane::test
