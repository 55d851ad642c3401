#pragma once

// With MinGW, libjpeg takes its `boolean` from rpcndr.h, in the global namespace, while JUCE's JPEG loader
// expects it inside the namespace it includes jpeglib.h into. Both are unsigned char, so declaring it there
// first keeps the library's interface as it was built.
namespace juce::jpeglibNamespace
{
typedef unsigned char boolean;
}
