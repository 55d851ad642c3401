#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <functional>
#include <memory>
#include <thread>

namespace corvane::test
{
/** The built bundle as JUCE's VST3 host scans, instantiates and drives it, the way a DAW does, with what the host
    tests need to render through an instance, wait for it and open its editor. */
class HostedBundle
{
public:
    /** Hands out the sizes of the host's blocks, one call per block. */
    using BlockSizes = std::function<int()>;

    /** The plug-in clips its output here. */
    static constexpr float clipLimit = 2.0f;

    /** Scans the bundle the build made. */
    HostedBundle();

    /** The one plug-in the bundle holds, or nullptr if the scan found none or several. */
    const juce::PluginDescription* getDescription() const;

    /** A new instance, or nullptr with the host's error added as a test failure. */
    std::unique_ptr<juce::AudioPluginInstance> createInstance (double sampleRate, int blockSize);

    /** Waits until done() holds, running the message loop meanwhile on the message thread as a host's does, and
        says whether it did; only a real failure takes the 30 s. */
    template <typename Condition>
    static bool waitUntil (Condition&& done)
    {
        for (const auto deadline = juce::Time::getMillisecondCounter() + 30000; ! done();)
        {
            if (juce::Time::getMillisecondCounter() > deadline)
                return false;

            if (juce::MessageManager::getInstance()->isThisTheMessageThread())
                juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
            else
                std::this_thread::sleep_for (std::chrono::milliseconds (1));
        }

        return true;
    }

    /** The instance's parameter of that name; throws if it has none. */
    static juce::AudioProcessorParameter& parameter (juce::AudioPluginInstance& plugin, const juce::String& name);

    static BlockSizes fixedBlocks (int size);
    static BlockSizes randomBlocks (int largest, juce::int64 seed);

    /** The responses last 0.17 s at any rate: this much silence leaves nothing of what came before. */
    static int responseLength (double sampleRate);

    /** The output for the input, fed in place in blocks of the sizes that nextBlockSize hands out. */
    static juce::AudioBuffer<float> render (juce::AudioPluginInstance& plugin,
                                            const juce::AudioBuffer<float>& input,
                                            const BlockSizes& nextBlockSize);

    static void renderSilence (juce::AudioPluginInstance& plugin, int length, const BlockSizes& nextBlockSize);

    /** An impulse on each side after leadIn samples of silence: the left input's first, the right's a response
        length later, each followed by that much silence. */
    static juce::AudioBuffer<float> impulseProbe (double sampleRate, int leadIn = 0);

    /** Renders impulseProbe until it renders twice alike, with the room after each impulse on both ears, or at once
        when it renders as settledRendering. Returns that rendering, or nothing if it never settled. */
    static juce::AudioBuffer<float> renderSettledImpulses (juce::AudioPluginInstance& plugin,
                                                           double sampleRate,
                                                           const BlockSizes& nextBlockSize,
                                                           const juce::AudioBuffer<float>* settledRendering = nullptr,
                                                           int leadIn = 0);

    static float peakOf (const juce::AudioBuffer<float>& buffer, int channel, int start, int end);

    /** The largest difference over the first length samples, relative to the reference's peak there. */
    static float relativeDifference (const juce::AudioBuffer<float>& output,
                                     const juce::AudioBuffer<float>& reference,
                                     int length);

    /** Where the first sample that is not finite or lies beyond the clip is, or -1. */
    static int firstSampleOutOfBounds (const juce::AudioBuffer<float>& buffer);

    /** The instance's editor, at a place of the screen clear of the test runner's own windows, once it has its
        smallest size (a failure is added if it never gets it), or nullptr if the instance has none. */
    static std::unique_ptr<juce::AudioProcessorEditor> openEditor (juce::AudioPluginInstance& plugin);

    /** Lets what the plug-in's and the host's windows posted to each other run before the editor goes, as a host's
        loop would: JUCE's embedding answers a resize with a message that points at itself. */
    static void closeEditor (std::unique_ptr<juce::AudioProcessorEditor>& editor);

private:
    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> descriptions;
};
} // namespace corvane::test
