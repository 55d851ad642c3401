#include "HostedInstanceTest.h"

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <utility>

namespace
{
using corvane::test::HostedBundle;

/** What offline bounces, null tests and A/B comparisons rely on: the same host calls and input give the same output,
    whenever the host prepared the plug-in. */
class Vst3RenderTest : public corvane::test::HostedInstanceTest
{
protected:
    Vst3RenderTest()
        : HostedInstanceTest (48000.0, 512)
    {
    }

    // Past the 30 ms fade-in that follows a preparation, so that a rendering made right after one can equal any other.
    static int leadIn (double rate) { return juce::roundToInt (0.05 * rate); }

    static juce::AudioBuffer<float> renderProbe (juce::AudioPluginInstance& instance, double rate, int block)
    {
        return HostedBundle::render (instance, HostedBundle::impulseProbe (rate, leadIn (rate)), HostedBundle::fixedBlocks (block));
    }

    /** The probe's rendering once the instance has played it for as long as it takes to render it twice alike. */
    juce::AudioBuffer<float> settledRendering (double rate, int block)
    {
        plugin->releaseResources();
        plugin->prepareToPlay (rate, block);
        return HostedBundle::renderSettledImpulses (*plugin, rate, HostedBundle::fixedBlocks (block), nullptr, leadIn (rate));
    }

    static constexpr float alike = 1.0e-5f;
};
} // namespace

TEST_F (Vst3RenderTest, RendersRightAfterAnyPreparationAsOnceSettled)
{
    const std::pair<double, int> settings[] = { { 48000.0, 512 }, { 44100.0, 512 }, { 48000.0, 128 } };
    std::map<std::pair<double, int>, juce::AudioBuffer<float>> settled;

    for (const auto& setting : settings)
    {
        settled[setting] = settledRendering (setting.first, setting.second);
        ASSERT_GT (settled[setting].getNumSamples(), 0) << "never settled at " << setting.first << " Hz, blocks of " << setting.second;
    }

    struct Case
    {
        const char* what;
        double rate;
        int block;
        bool released;
        int times;
    };

    // A host that changes the rate or the block size prepares again without a release of its own.
    const Case cases[] = {
        { "released and prepared again", 48000.0, 512, true, 20 },
        { "prepared at 44.1 kHz", 44100.0, 512, false, 1 },
        { "prepared at 48 kHz again", 48000.0, 512, false, 1 },
        { "prepared for blocks of 128", 48000.0, 128, false, 1 },
        { "prepared for blocks of 512 again", 48000.0, 512, false, 1 },
    };

    for (const auto& c : cases)
    {
        for (int time = 0; time < c.times; ++time)
        {
            if (c.released)
                plugin->releaseResources();

            plugin->prepareToPlay (c.rate, c.block);
            const auto& reference = settled[{ c.rate, c.block }];
            const auto difference = HostedBundle::relativeDifference (renderProbe (*plugin, c.rate, c.block), reference, reference.getNumSamples());
            EXPECT_LT (difference, alike) << c.what << ", time " << time + 1;
        }
    }

    // A new instance renders as a settled one from its first block on.
    auto fresh = bundle.createInstance (48000.0, 512);
    ASSERT_NE (fresh, nullptr);
    fresh->prepareToPlay (48000.0, 512);
    const auto& reference = settled[{ 48000.0, 512 }];
    EXPECT_LT (HostedBundle::relativeDifference (renderProbe (*fresh, 48000.0, 512), reference, reference.getNumSamples()), alike);
    fresh->releaseResources();
}

TEST_F (Vst3RenderTest, ReportedTailCoversTheRoomAndTheLevelStaysPinned)
{
    struct Case
    {
        double rate;
        float nearEarPeak;
        double nearEarEnergy;
    };

    // The near ear's peak and energy for an impulse on its side, pinned so that no change of level slips through.
    // An impulse at twice the rate is half as long, so they halve from 48 to 96 kHz.
    const Case cases[] = { { 44100.0, 0.3882f, 0.6735 }, { 48000.0, 0.4054f, 0.6487 }, { 96000.0, 0.2004f, 0.3503 } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.rate);
        const auto rendering = settledRendering (c.rate, 512);
        ASSERT_GT (rendering.getNumSamples(), 0) << "never settled";

        const auto tail = plugin->getTailLengthSeconds();
        EXPECT_EQ (plugin->getLatencySamples(), 0);

        // The left input's impulse and what follows it, until the right input's.
        const auto start = leadIn (c.rate);
        const auto end = start + HostedBundle::responseLength (c.rate);
        auto lastAudible = start;
        auto peak = 0.0f;
        auto energy = 0.0;

        for (int i = start; i < end; ++i)
        {
            for (int channel = 0; channel < 2; ++channel)
                if (std::abs (rendering.getSample (channel, i)) > 1.0e-5f) // -100 dB
                    lastAudible = i;

            const auto nearEar = rendering.getSample (0, i);
            peak = std::max (peak, std::abs (nearEar));
            energy += static_cast<double> (nearEar) * nearEar;
        }

        const auto decay = (lastAudible - start + 1) / c.rate;
        std::cout << c.rate << " Hz: tail " << tail << " s, audible for " << decay << " s, near ear peak " << peak
                  << ", energy " << energy << "\n";

        // A host that suspends the plug-in on silent input, or ends a bounce, after the tail cuts no room.
        EXPECT_GE (tail, decay);
        EXPECT_LT (tail, 0.2);

        EXPECT_NEAR (peak, c.nearEarPeak, 0.01f * c.nearEarPeak);
        EXPECT_NEAR (energy, c.nearEarEnergy, 0.01 * c.nearEarEnergy);
    }
}
