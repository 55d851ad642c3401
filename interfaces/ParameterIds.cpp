#include "interfaces/ParameterIds.h"

namespace corvane
{
const juce::String zemOnParameterID { "ZEM On" };
const juce::String masterGainParameterID { "Master Gain" };

const juce::Identifier isDarkIdentifier { "isDark" };
} // namespace corvane
