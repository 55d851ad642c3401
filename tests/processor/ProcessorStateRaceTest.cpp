// The processor's state touched from the threads a host uses at once: saves and loads on the host's thread, the
// skin flipped on the message thread, blocks on the audio thread. Built as an executable of its own so that
// tests/tsan can build the same file under ThreadSanitizer.

#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace corvane;

TEST (ProcessorStateRace, SavesAndLoadsOnTheHostsThreadWhileTheSkinFlipsAndAudioRuns)
{
    AudioPluginAudioProcessor processor;
    processor.prepareToPlay (48000.0, 64);

    juce::MemoryBlock darkState;
    processor.getConfigState().setProperty (isDarkIdentifier, true, nullptr);
    processor.getStateInformation (darkState);

    constexpr int numSaves = 300, numFlips = 300;
    std::atomic<int> saves { 0 }, unreadable { 0 };
    std::atomic<bool> stop { false };

    std::thread audio ([&] {
        juce::AudioBuffer<float> buffer (2, 64);
        juce::MidiBuffer midi;

        while (! stop.load())
        {
            buffer.clear();
            processor.processBlock (buffer, midi);
            std::this_thread::yield();
        }
    });

    std::thread host ([&] {
        for (int i = 0; i < numSaves; ++i)
        {
            juce::MemoryBlock saved;
            processor.getStateInformation (saved);

            const auto xml = juce::AudioProcessor::getXmlFromBinary (saved.getData(), static_cast<int> (saved.getSize()));
            const auto config = xml != nullptr ? juce::parseXML (xml->getStringAttribute ("ConfigState")) : nullptr;

            if (config == nullptr || ! config->hasAttribute ("isDark"))
                ++unreadable;

            if (i % 10 == 0)
                processor.setStateInformation (darkState.getData(), static_cast<int> (darkState.getSize()));

            ++saves;
        }
    });

    for (int i = 0; i < numFlips || saves.load() < numSaves; ++i)
    {
        processor.getConfigState().setProperty (isDarkIdentifier, i % 2 == 0, nullptr);
        juce::MessageManager::getInstance()->runDispatchLoopUntil (0);
    }

    host.join();
    stop.store (true);
    audio.join();

    EXPECT_EQ (unreadable.load(), 0);
}
