#pragma once

#include <juce_graphics/juce_graphics.h>

namespace corvane::test
{
/** What a person sees and does on the X server the tests run in: a grab of a screen rectangle, windows of every
    process and OpenGL included (a hosted editor is another process's embedded window, which a component snapshot
    cannot see), and mouse clicks at screen positions. */
class ScreenAccess
{
public:
    ScreenAccess();
    ~ScreenAccess();

    bool isAvailable() const noexcept { return display != nullptr; }

    juce::Image grab (juce::Rectangle<int> screenArea) const;
    void click (juce::Point<int> screenPosition) const;
    void movePointer (juce::Point<int> screenPosition) const;

    /** How much an image's brightness varies: a blank or uniform grab gives 0. */
    static float spreadOf (const juce::Image& image);

    static int differingPixels (const juce::Image& a, const juce::Image& b);

private:
    void* display = nullptr;
};
} // namespace corvane::test
