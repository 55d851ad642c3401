#pragma once

#include "interfaces/IOLevelProviderInterface.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <chrono>
#include <cstdint>
#include <functional>

namespace corvane
{
/** One vertical bar per channel of the plug-in's input or output, from -72 dB (empty) to 0 dB (full), falling at
    72 dB per second and with a clip mark above each bar that stays lit until the meter is clicked.

    Threads: only the message thread touches the view. Its own timer fetches the levels 30 times a second; the
    provider copies them out of the analyser under the analyser's lock, so the view needs no lock and no
    MessageThreadUpdater. It asks for a repaint only when a bar, a gradient or a clip mark would draw differently,
    so a meter at rest costs nothing. */
class LevelMeterView : public juce::Component
    , public juce::Timer
{
public:
    enum class Mode : std::int32_t
    {
        input = 0,
        output = 1
    };

    /** The provider is not owned and must outlive the view (the processor outlives its editor). */
    LevelMeterView (IOLevelProviderInterface* provider, Mode mode);
    ~LevelMeterView() override;

    void mouseDown (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;

    /** One level update. Public so that tests can drive it without a message loop. */
    void timerCallback() override;

    /** The release runs on this clock; tests replace it to step through time. The next tick measures from the
        new clock's present. */
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    void setClock (Clock newClock);

private:
    struct BarLayout
    {
        double barWidth = 0.0;
        double gap = 0.0;
        bool combined = false;
    };

    BarLayout getBarLayout (int areaWidth) const noexcept;
    int getBarTopOffset (float levelDb) const noexcept;
    void drawBar (juce::Graphics& g, juce::Rectangle<int> area, double x, double barWidth, float levelDb, bool clipped) const;

    IOLevelProviderInterface* levelProvider;
    Mode mode;
    juce::Array<float> displayedLevelsDb;
    juce::Array<float> currentLevels;
    juce::Array<bool> clipFlags;
    std::chrono::steady_clock::time_point lastUpdateTime;
    Clock clock;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LevelMeterView)
};
} // namespace corvane
