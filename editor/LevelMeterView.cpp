#include "editor/LevelMeterView.h"

#include <algorithm>
#include <cmath>

namespace corvane
{
namespace
{
    constexpr float floorDb = -72.0f;
    constexpr float ceilingDb = 6.0f;
    constexpr float silenceDb = -100.0f;
    constexpr double releaseDbPerSecond = 72.0;
    constexpr int indicatorStripHeight = 8;
    constexpr float indicatorHeight = 5.0f;

    const juce::Colour backgroundColour (45, 45, 45);

    juce::Colour fromDegrees (float hueDegrees, float saturation, float brightness)
    {
        return juce::Colour::fromHSV (hueDegrees / 360.0f, saturation, brightness, 1.0f);
    }
} // namespace

LevelMeterView::LevelMeterView (IOLevelProviderInterface* provider, Mode meterMode)
    : levelProvider (provider)
    , mode (meterMode)
    , clock ([] { return std::chrono::steady_clock::now(); })
{
    startTimerHz (30);
    clipFlags.insertMultiple (0, false, 2);
    displayedLevelsDb.insertMultiple (0, floorDb, 2);
    lastUpdateTime = clock();
}

LevelMeterView::~LevelMeterView() = default;

void LevelMeterView::setClock (Clock newClock)
{
    clock = std::move (newClock);
    lastUpdateTime = clock();
}

void LevelMeterView::timerCallback()
{
    if (mode == Mode::input)
        levelProvider->getInputLevels (currentLevels);
    else
        levelProvider->getOutputLevels (currentLevels);

    auto changed = false;
    const auto numChannels = currentLevels.size();

    if (numChannels != displayedLevelsDb.size())
    {
        displayedLevelsDb.clearQuick();
        displayedLevelsDb.insertMultiple (0, floorDb, numChannels);
        clipFlags.clearQuick();
        clipFlags.insertMultiple (0, false, numChannels);
        changed = true;
    }

    // Timed on the steady clock, so the release keeps its rate whatever tick rate the message thread manages.
    const auto now = clock();
    const auto elapsedNs = std::chrono::duration_cast<std::chrono::nanoseconds> (now - lastUpdateTime).count();
    lastUpdateTime = now;
    const auto fall = static_cast<double> (elapsedNs) / 1.0e9 * releaseDbPerSecond;

    for (int i = 0; i < numChannels; ++i)
    {
        const auto shown = displayedLevelsDb.getUnchecked (i);
        const auto falling = static_cast<float> (static_cast<double> (shown) - fall);
        const auto level = currentLevels.getUnchecked (i);
        const auto target = level > 0.0f ? juce::jmax (silenceDb, 20.0f * std::log10 (level)) : silenceDb;
        const auto value = juce::jlimit (floorDb, ceilingDb, juce::jmax (target, falling));

        if (value != shown)
        {
            displayedLevelsDb.setUnchecked (i, value);

            // A change too small to move the bar's top pixel or to switch its gradient draws nothing new.
            if (getBarTopOffset (value) != getBarTopOffset (shown) || (value > 0.0f) != (shown > 0.0f))
                changed = true;
        }

        if (value >= 0.0f && ! clipFlags.getUnchecked (i))
        {
            clipFlags.setUnchecked (i, true);
            changed = true;
        }
    }

    if (changed)
        repaint();
}

void LevelMeterView::mouseDown (const juce::MouseEvent&)
{
    if (! clipFlags.contains (true))
        return;

    clipFlags.fill (false);
    repaint();
}

LevelMeterView::BarLayout LevelMeterView::getBarLayout (int areaWidth) const noexcept
{
    const auto n = displayedLevelsDb.size();
    const auto w = static_cast<double> (areaWidth);

    if (areaWidth >= 2 * n)
        return { (w - n) / n, 1.0, false };

    if (areaWidth >= n)
        return { w / n, 0.0, false };

    // Too narrow for a column per channel: one bar shows the loudest.
    return { w, 0.0, true };
}

int LevelMeterView::getBarTopOffset (float levelDb) const noexcept
{
    const auto areaHeight = juce::jmax (0, getHeight() - indicatorStripHeight);
    const auto offset = std::round ((1.0 - (static_cast<double> (levelDb) - floorDb) / -floorDb) * areaHeight);
    return juce::jlimit (0, areaHeight, static_cast<int> (offset));
}

void LevelMeterView::paint (juce::Graphics& g)
{
    const auto n = displayedLevelsDb.size();

    if (n == 0)
        return;

    auto area = getLocalBounds();
    area.removeFromTop (indicatorStripHeight);
    const auto layout = getBarLayout (area.getWidth());
    const auto totalWidth = layout.combined ? layout.barWidth : n * (layout.barWidth + layout.gap);

    g.setColour (backgroundColour);
    g.fillRect (juce::Rectangle<double> (0.0, area.getY(), totalWidth, area.getHeight()).toFloat());

    if (layout.combined)
    {
        const auto loudest = std::max_element (displayedLevelsDb.begin(), displayedLevelsDb.end());
        drawBar (g, area, 0.0, layout.barWidth, *loudest, clipFlags.contains (true));
        return;
    }

    for (int i = 0; i < n; ++i)
        drawBar (g, area, i * (layout.barWidth + layout.gap), layout.barWidth, displayedLevelsDb[i], clipFlags[i]);
}

void LevelMeterView::drawBar (juce::Graphics& g, juce::Rectangle<int> area, double x, double barWidth, float levelDb, bool clipped) const
{
    g.setColour (clipped ? fromDegrees (11.0f, 0.513f, 0.817f) : backgroundColour);
    g.fillRect (juce::Rectangle<double> (x, 0.0, barWidth, indicatorHeight).toFloat());

    if (area.isEmpty())
        return;

    const auto height = static_cast<float> (area.getHeight());
    const auto gradient = levelDb > 0.0f
                            ? juce::ColourGradient (fromDegrees (1.0f, 0.513f, 0.817f), 0.0f, 0.0f, fromDegrees (8.0f, 0.54f, 0.95f), 0.0f, height, false)
                            : juce::ColourGradient (fromDegrees (184.0f, 0.783f, 0.883f), 0.0f, 0.0f, fromDegrees (191.0f, 0.81f, 0.75f), 0.0f, height, false);
    g.setGradientFill (gradient);

    const auto top = area.getY() + getBarTopOffset (levelDb);
    g.fillRect (juce::Rectangle<double> (x, top, barWidth, area.getBottom() - top).toFloat());
}
} // namespace corvane
