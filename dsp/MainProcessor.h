#pragma once

#include "dsp/ProcessingGraph.h"
#include "dsp/ProcessorBase.h"
#include "dsp/SampleRingHolder.h"
#include "interfaces/IProcessorStateProvider.h"

#include <optional>
#include <utility>

namespace corvane
{
/** The audio engine: runs the processing graph's nodes in the order of its connections, steers them from the
    parameters every block, and hands the binaural paths of every block to the scope through the sample ring. Its
    own bus layout tells it only whether the host's main input is mono, in which case that channel feeds both
    sides of the chain. */
class MainProcessor : public ProcessorBase
{
public:
    explicit MainProcessor (IProcessorStateProvider* parameterProvider);
    ~MainProcessor() override;

    const juce::String getName() const override { return "MainProcessor"; }
    void prepareToPlay (double sampleRate, int samplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using ProcessorBase::processBlock;
    void reset() override;
    double getTailLengthSeconds() const override;

    /** The scope's side of the sample ring: one reader thread, safe against the replacement at each preparation. */
    int getNumReady() const noexcept { return sampleRing.getNumReady(); }
    bool read (juce::AudioBuffer<float>& destination) noexcept { return sampleRing.read (destination); }
    void skip (int numSamples) noexcept { sampleRing.skip (numSamples); }

    /** Gives tests and benchmarks the fixed chain to inspect. */
    ProcessingGraph& getProcessingGraph() noexcept { return *graph; }

    static constexpr int numScopeChannels = 4;

private:
    void processPiece (juce::AudioBuffer<float>& buffer, int start, int numSamples, juce::MidiBuffer& midi);

    IProcessorStateProvider* parameterProvider;
    std::unique_ptr<ProcessingGraph> graph;
    juce::AudioBuffer<float> scratchBuffer;
    SampleRingHolder sampleRing { numScopeChannels, 44100 };
    std::optional<std::pair<double, int>> nodesPreparedFor;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainProcessor)
};
} // namespace corvane
