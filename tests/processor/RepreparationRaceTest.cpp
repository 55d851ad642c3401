// A host that prepares the processor again from its own thread, not the message thread, and sends blocks at once,
// as every VST3 host on Linux does; built into the race executable so that tests/tsan builds it too.

#include "processor/AudioPluginAudioProcessor.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

using namespace corvane;

TEST (RepreparationRace, PreparingAgainOffTheMessageThreadPlaysAtOnceWithoutTouchingTheRunningChain)
{
    struct Setting
    {
        double sampleRate;
        int blockSize;
        bool releaseFirst;
    };

    const Setting settings[] = { { 44100.0, 256, false }, { 96000.0, 64, false }, { 48000.0, 512, true }, { 88200.0, 128, false }, { 48000.0, 32, true } };
    constexpr int numRounds = 20, blocksPerRound = 6;

    AudioPluginAudioProcessor processor;
    std::atomic<bool> hostDone { false };
    std::atomic<int> silentBlocks { 0 }, notFiniteBlocks { 0 };

    // The message thread keeps pumping while the host's thread prepares and plays, as in a plug-in's process.
    std::thread host ([&] {
        juce::Random random (7);
        juce::MidiBuffer midi;

        for (int round = 0; round < numRounds; ++round)
        {
            const auto& setting = settings[static_cast<size_t> (round) % std::size (settings)];

            if (setting.releaseFirst)
                processor.releaseResources();

            processor.prepareToPlay (setting.sampleRate, setting.blockSize);

            juce::AudioBuffer<float> buffer (2, setting.blockSize);

            for (int block = 0; block < blocksPerRound; ++block)
            {
                for (int channel = 0; channel < 2; ++channel)
                    for (int i = 0; i < setting.blockSize; ++i)
                        buffer.setSample (channel, i, 0.25f * (random.nextFloat() - 0.5f));

                processor.processBlock (buffer, midi);

                auto peak = 0.0f;
                auto finite = true;

                for (int channel = 0; channel < 2; ++channel)
                    for (int i = 0; i < setting.blockSize; ++i)
                    {
                        finite = finite && std::isfinite (buffer.getSample (channel, i));
                        peak = std::max (peak, std::abs (buffer.getSample (channel, i)));
                    }

                // A block after the first's fade-in that carries nothing of its input was dropped.
                if (peak < 1.0e-6f && (round > 0 || block > 0))
                    ++silentBlocks;

                if (! finite)
                    ++notFiniteBlocks;
            }
        }

        hostDone.store (true);
    });

    EXPECT_TRUE (test::pumpMessagesUntil ([&] { return hostDone.load(); }));
    host.join();

    EXPECT_EQ (silentBlocks.load(), 0);
    EXPECT_EQ (notFiniteBlocks.load(), 0);
}
