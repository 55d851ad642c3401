#pragma once

#include "interfaces/IProcessorStateProvider.h"

namespace corvane
{
/** Write access to the parameters by ID. Every write notifies the host; an ID that the layout lacks is ignored. */
struct IProcessorStateController : public IProcessorStateProvider
{
    /** The value in the parameter's own units; it is snapped into the parameter's range. */
    virtual void setValue (juce::String parameterID, float value) = 0;
    /** Only for integer parameters: any other kind raises std::bad_cast. */
    virtual void setIntValue (juce::String parameterID, int value) = 0;
    virtual void beginChangeGesture (juce::String parameterID) = 0;
    virtual void endChangeGesture (juce::String parameterID) = 0;
    virtual void setNormalisedValue (juce::String parameterID, float normalisedValue) = 0;
    virtual void setBoolValue (juce::String parameterID, bool value) = 0;
};
} // namespace corvane
