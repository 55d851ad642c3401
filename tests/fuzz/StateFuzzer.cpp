// libFuzzer target for the path a damaged project takes: setStateInformation with any bytes, the deferred
// restore, and saving again. Built by tools/fuzz-state.sh with clang, AddressSanitizer and libFuzzer.
#include "StateRestoreCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize (int*, char***);
extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size);

namespace
{
corvane::AudioPluginAudioProcessor* processor = nullptr;
}

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    // Both live for the whole run: building a processor per input would measure its construction instead.
    static juce::ScopedJuceInitialiser_GUI* const juce = new juce::ScopedJuceInitialiser_GUI();
    juce::ignoreUnused (juce);
    processor = new corvane::AudioPluginAudioProcessor();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    const auto problem = corvane::test::restoreAndCheck (*processor, data, size);

    if (problem.isNotEmpty())
    {
        std::fprintf (stderr, "broken promise: %s\n", problem.toRawUTF8());
        std::abort();
    }

    return 0;
}
