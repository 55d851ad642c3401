#pragma once

#include <juce_core/juce_core.h>

namespace corvane
{
/** Each parameter ID is also the parameter's display name, so hosts show these texts as they stand. */
extern const juce::String zemOnParameterID;
extern const juce::String masterGainParameterID;

/** The ConfigState property that selects the dark skin. */
extern const juce::Identifier isDarkIdentifier;
} // namespace corvane
