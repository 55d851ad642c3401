#pragma once

namespace corvane
{
class ControlView;

/** Told by the control bar when its info or help button was clicked; the bar itself does nothing else with them. */
class ControlViewListener
{
public:
    virtual void infoButtonClicked (ControlView* sender) = 0;
    virtual void helpButtonClicked (ControlView* sender) = 0;

protected:
    // The bar never owns its listeners, so nothing deletes one through this interface.
    ~ControlViewListener() = default;
};
} // namespace corvane
