#pragma once

#include "HostedBundle.h"

#include <gtest/gtest.h>

namespace corvane::test
{
/** A test with one instance of the built bundle, created for the given rate and block size and released before it
    goes, as a host does. */
class HostedInstanceTest : public testing::Test
{
protected:
    HostedInstanceTest (double rate, int size)
        : sampleRate (rate)
        , blockSize (size)
    {
    }

    void SetUp() override
    {
        plugin = bundle.createInstance (sampleRate, blockSize);
        ASSERT_NE (plugin, nullptr);
    }

    void TearDown() override
    {
        if (plugin != nullptr)
            plugin->releaseResources();

        plugin.reset();
    }

    juce::AudioProcessorParameter& parameter (const juce::String& name) { return HostedBundle::parameter (*plugin, name); }

    const double sampleRate;
    const int blockSize;
    HostedBundle bundle;
    std::unique_ptr<juce::AudioPluginInstance> plugin;
};
} // namespace corvane::test
