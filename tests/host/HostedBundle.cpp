#include "HostedBundle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace corvane::test
{
HostedBundle::HostedBundle()
{
    // The bundle's folder on Linux, the DLL inside it on Windows.
    const auto bundle = juce::File (ZEM2_VST3_BUNDLE);

    if (bundle.exists())
        format.findAllTypesForFile (descriptions, bundle.getFullPathName());
}

const juce::PluginDescription* HostedBundle::getDescription() const
{
    return descriptions.size() == 1 ? descriptions[0] : nullptr;
}

std::unique_ptr<juce::AudioPluginInstance> HostedBundle::createInstance (double sampleRate, int blockSize)
{
    if (getDescription() == nullptr)
    {
        ADD_FAILURE() << "the scan found " << descriptions.size() << " plug-ins in " << ZEM2_VST3_BUNDLE;
        return nullptr;
    }

    juce::String error;
    auto plugin = format.createInstanceFromDescription (*getDescription(), sampleRate, blockSize, error);

    if (plugin == nullptr)
        ADD_FAILURE() << error;

    return plugin;
}

juce::AudioProcessorParameter& HostedBundle::parameter (juce::AudioPluginInstance& plugin, const juce::String& name)
{
    for (auto* candidate : plugin.getParameters())
        if (candidate->getName (100) == name)
            return *candidate;

    throw std::runtime_error ("no parameter " + name.toStdString());
}

HostedBundle::BlockSizes HostedBundle::fixedBlocks (int size)
{
    return [size] { return size; };
}

HostedBundle::BlockSizes HostedBundle::randomBlocks (int largest, juce::int64 seed)
{
    return [largest, random = juce::Random (seed)]() mutable { return 1 + random.nextInt (largest); };
}

int HostedBundle::responseLength (double sampleRate)
{
    return juce::roundToInt (0.2 * sampleRate);
}

juce::AudioBuffer<float> HostedBundle::render (juce::AudioPluginInstance& plugin,
                                               const juce::AudioBuffer<float>& input,
                                               const BlockSizes& nextBlockSize)
{
    juce::AudioBuffer<float> output (input);
    juce::MidiBuffer midi;

    for (int start = 0; start < output.getNumSamples();)
    {
        const auto length = juce::jmin (nextBlockSize(), output.getNumSamples() - start);
        juce::AudioBuffer<float> block (output.getArrayOfWritePointers(), output.getNumChannels(), start, length);
        plugin.processBlock (block, midi);
        start += length;
    }

    return output;
}

void HostedBundle::renderSilence (juce::AudioPluginInstance& plugin, int length, const BlockSizes& nextBlockSize)
{
    juce::AudioBuffer<float> silence (2, length);
    silence.clear();
    render (plugin, silence, nextBlockSize);
}

juce::AudioBuffer<float> HostedBundle::impulseProbe (double sampleRate, int leadIn)
{
    const auto gap = responseLength (sampleRate);

    juce::AudioBuffer<float> probe (2, leadIn + 2 * gap);
    probe.clear();
    probe.setSample (0, leadIn, 1.0f);
    probe.setSample (1, leadIn + gap, 1.0f);
    return probe;
}

juce::AudioBuffer<float> HostedBundle::renderSettledImpulses (juce::AudioPluginInstance& plugin,
                                                              double sampleRate,
                                                              const BlockSizes& nextBlockSize,
                                                              const juce::AudioBuffer<float>* settledRendering,
                                                              int leadIn)
{
    const auto gap = responseLength (sampleRate);
    const auto directSound = juce::roundToInt (0.01 * sampleRate);
    const auto probe = impulseProbe (sampleRate, leadIn);
    const auto length = probe.getNumSamples();

    juce::AudioBuffer<float> previous (2, length), current;
    previous.clear();
    auto failed = false;

    // Renderings in blocks of other sizes differ by rounding only.
    constexpr auto alike = 1.0e-5f;

    const auto settled = waitUntil ([&] {
        current = render (plugin, probe, nextBlockSize);

        if (const auto at = firstSampleOutOfBounds (current); at >= 0)
        {
            ADD_FAILURE() << "an impulse renders a sample that is not finite or beyond the clip at " << at;
            return failed = true;
        }

        if (settledRendering != nullptr && relativeDifference (current, *settledRendering, length) < alike)
            return true;

        // An engine that has not taken its response yet passes the impulse on without the room after it.
        auto hasRoom = true;

        for (int side = 0; side < 2; ++side)
            for (int ear = 0; ear < 2; ++ear)
                hasRoom = hasRoom && peakOf (current, ear, leadIn + side * gap + directSound, leadIn + (side + 1) * gap) > 1.0e-4f;

        const auto twiceAlike = relativeDifference (current, previous, length) < alike;
        previous.makeCopyOf (current);
        return hasRoom && twiceAlike;
    });

    return settled && ! failed ? current : juce::AudioBuffer<float>();
}

float HostedBundle::peakOf (const juce::AudioBuffer<float>& buffer, int channel, int start, int end)
{
    auto peak = 0.0f;

    for (int i = start; i < end; ++i)
        peak = std::max (peak, std::abs (buffer.getSample (channel, i)));

    return peak;
}

float HostedBundle::relativeDifference (const juce::AudioBuffer<float>& output,
                                        const juce::AudioBuffer<float>& reference,
                                        int length)
{
    auto largest = 0.0f;

    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < length; ++i)
        {
            const auto difference = std::abs (output.getSample (channel, i) - reference.getSample (channel, i));

            if (std::isnan (difference))
                return difference;

            largest = std::max (largest, difference);
        }

    const auto peak = std::max (peakOf (reference, 0, 0, length), peakOf (reference, 1, 0, length));
    return largest / std::max (peak, std::numeric_limits<float>::min());
}

int HostedBundle::firstSampleOutOfBounds (const juce::AudioBuffer<float>& buffer)
{
    for (int i = 0; i < buffer.getNumSamples(); ++i)
        for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
            if (! std::isfinite (buffer.getSample (channel, i)) || std::abs (buffer.getSample (channel, i)) > clipLimit)
                return i;

    return -1;
}

std::unique_ptr<juce::AudioProcessorEditor> HostedBundle::openEditor (juce::AudioPluginInstance& plugin)
{
    std::unique_ptr<juce::AudioProcessorEditor> editor (plugin.createEditor());

    if (editor == nullptr)
        return nullptr;

    editor->setTopLeftPosition (900, 300);
    editor->addToDesktop (0);
    editor->setVisible (true);
    EXPECT_TRUE (waitUntil ([&] { return editor->getWidth() == 770 && editor->getHeight() == 487; }))
        << editor->getBounds().toString();
    return editor;
}

void HostedBundle::closeEditor (std::unique_ptr<juce::AudioProcessorEditor>& editor)
{
    for (int pass = 0; pass < 2; ++pass)
    {
        auto done = std::make_shared<std::atomic<bool>> (false);
        juce::MessageManager::callAsync ([done] { done->store (true); });
        EXPECT_TRUE (waitUntil ([&] { return done->load(); }));
    }

    editor.reset();
}
} // namespace corvane::test
