#pragma once

#include "dsp/ProcessingGraph.h"
#include "dsp/ProcessorBase.h"
#include "interfaces/IProcessorStateProvider.h"

namespace corvane
{
/** The audio engine: runs the processing graph and steers its nodes from the parameters every block. Its own
    bus layout tells it only whether the host's main input is mono, in which case that channel feeds both
    sides of the graph. */
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

    /** Gives tests and benchmarks the fixed chain to inspect. */
    ProcessingGraph& getProcessingGraph() noexcept { return *graph; }

private:
    IProcessorStateProvider* parameterProvider;
    std::unique_ptr<ProcessingGraph> graph;
    juce::AudioBuffer<float> scratchBuffer;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainProcessor)
};
} // namespace corvane
