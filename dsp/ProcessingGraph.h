#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>
#include <vector>

namespace corvane
{
class BinauralProcessor;
class GainProcessor;

/** The fixed chain inside MainProcessor: input -> gain -> binaural -> output, two channels wide. The pointers
    are views into processors that the graph owns. */
struct ProcessingGraph
{
    juce::AudioProcessorGraph graph;
    juce::AudioProcessor* inputNode = nullptr;
    BinauralProcessor* binauralProcessor = nullptr;
    GainProcessor* gainProcessor = nullptr;
    juce::AudioProcessor* outputNode = nullptr;

    /** The nodes between input and output in the order their connections give. The main processor prepares and
        runs them itself: the graph would prepare them later on the message thread, while blocks already run. */
    std::vector<juce::AudioProcessor*> processingOrder;
};

/** One input and one output bus with the canonical channel sets of the given counts (1 mono, 2 stereo). */
juce::AudioProcessor::BusesLayout makeBusesLayout (int numInputChannels, int numOutputChannels);

/** Enables the processor's buses, gives it the layout and hands it to the graph; returns the processor, which
    the graph now owns. */
juce::AudioProcessor* addProcessorNode (juce::AudioProcessorGraph& graph,
                                        std::unique_ptr<juce::AudioProcessor> processor,
                                        juce::AudioProcessor::BusesLayout layout);

/** Connects channels 0 .. numChannels - 1 of source to the same channels of destination. */
void connectChannels (juce::AudioProcessorGraph& graph,
                      juce::AudioProcessorGraph::Node::Ptr source,
                      juce::AudioProcessorGraph::Node::Ptr destination,
                      int numChannels);

/** The graph's processors, leaving out its input and output nodes, each after every node that feeds it. */
std::vector<juce::AudioProcessor*> findProcessingOrder (const juce::AudioProcessorGraph& graph);

std::unique_ptr<ProcessingGraph> createProcessingGraph (double sampleRate, int blockSize);
} // namespace corvane
