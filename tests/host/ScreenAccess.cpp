#include "ScreenAccess.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>

namespace corvane::test
{
ScreenAccess::ScreenAccess()
    : display (XOpenDisplay (nullptr))
{
}

ScreenAccess::~ScreenAccess()
{
    if (display != nullptr)
        XCloseDisplay (static_cast<Display*> (display));
}

juce::Image ScreenAccess::grab (juce::Rectangle<int> area) const
{
    auto* d = static_cast<Display*> (display);
    juce::Image image (juce::Image::RGB, area.getWidth(), area.getHeight(), true);
    auto* x = XGetImage (d, DefaultRootWindow (d), area.getX(), area.getY(), (unsigned) area.getWidth(),
                         (unsigned) area.getHeight(), AllPlanes, ZPixmap);

    if (x == nullptr)
        return image;

    for (int row = 0; row < area.getHeight(); ++row)
        for (int column = 0; column < area.getWidth(); ++column)
        {
            const auto pixel = XGetPixel (x, column, row);
            image.setPixelAt (column, row, juce::Colour ((juce::uint8) ((pixel >> 16) & 0xff), (juce::uint8) ((pixel >> 8) & 0xff), (juce::uint8) (pixel & 0xff)));
        }

    XDestroyImage (x);
    return image;
}

void ScreenAccess::click (juce::Point<int> position) const
{
    auto* d = static_cast<Display*> (display);
    XTestFakeMotionEvent (d, -1, position.x, position.y, CurrentTime);
    XTestFakeButtonEvent (d, 1, True, CurrentTime);
    XTestFakeButtonEvent (d, 1, False, CurrentTime);
    XFlush (d);
}

void ScreenAccess::movePointer (juce::Point<int> position) const
{
    auto* d = static_cast<Display*> (display);
    XTestFakeMotionEvent (d, -1, position.x, position.y, CurrentTime);
    XFlush (d);
}

float ScreenAccess::spreadOf (const juce::Image& image)
{
    auto lowest = 1.0f, highest = 0.0f;

    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
        {
            const auto brightness = image.getPixelAt (x, y).getPerceivedBrightness();
            lowest = std::min (lowest, brightness);
            highest = std::max (highest, brightness);
        }

    return highest - lowest;
}

int ScreenAccess::differingPixels (const juce::Image& a, const juce::Image& b)
{
    int count = 0;

    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            count += a.getPixelAt (x, y) != b.getPixelAt (x, y) ? 1 : 0;

    return count;
}
} // namespace corvane::test
