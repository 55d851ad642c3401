#include "StateRestoreCheck.h"

#include "interfaces/ParameterIds.h"

#include <atomic>
#include <cmath>

namespace corvane::test
{
namespace
{
    /** Messages run in the order they were posted, so once a marker posted after the restore has run, so has
        the restore. */
    void runPostedMessages()
    {
        auto done = std::make_shared<std::atomic<bool>> (false);
        juce::MessageManager::callAsync ([done] { done->store (true); });

        while (! done->load())
            juce::MessageManager::getInstance()->runDispatchLoopUntil (0);
    }
} // namespace

juce::String restoreAndCheck (AudioPluginAudioProcessor& processor, const void* data, size_t size)
{
    processor.setStateInformation (data, static_cast<int> (juce::jmin (size, static_cast<size_t> (1 << 30))));
    runPostedMessages();

    for (auto* parameter : processor.getParameters())
    {
        const auto value = parameter->getValue();

        if (! std::isfinite (value) || value < 0.0f || value > 1.0f)
            return parameter->getName (100) + " left at " + juce::String (value);
    }

    auto& manager = processor.getApvtsManager();
    const auto gain = manager.getValue (masterGainParameterID);

    if (! std::isfinite (gain) || gain < -48.0f || gain > 12.0f)
        return "Master Gain left at " + juce::String (gain) + " dB";

    juce::MemoryBlock saved;
    processor.getStateInformation (saved);

    if (juce::AudioProcessor::getXmlFromBinary (saved.getData(), static_cast<int> (saved.getSize())) == nullptr)
        return "the restored state no longer saves";

    return {};
}
} // namespace corvane::test
