#include "dsp/ProcessingGraph.h"

#include "dsp/BinauralProcessor.h"
#include "dsp/GainProcessor.h"

#include <algorithm>
#include <set>

namespace corvane
{
namespace
{
    juce::AudioProcessorGraph::Node::Ptr findNodeOf (juce::AudioProcessorGraph& graph,
                                                     const juce::AudioProcessor* processor)
    {
        for (auto* node : graph.getNodes())
            if (node->getProcessor() == processor)
                return node;

        return nullptr;
    }

    void prepareNodeProcessor (juce::AudioProcessor& processor, const juce::AudioProcessor::BusesLayout& layout)
    {
        processor.enableAllBuses();
        processor.setBusesLayout (layout);
    }
} // namespace

juce::AudioProcessor::BusesLayout makeBusesLayout (int numInputChannels, int numOutputChannels)
{
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (juce::AudioChannelSet::canonicalChannelSet (numInputChannels));
    layout.outputBuses.add (juce::AudioChannelSet::canonicalChannelSet (numOutputChannels));
    return layout;
}

juce::AudioProcessor* addProcessorNode (juce::AudioProcessorGraph& graph,
                                        std::unique_ptr<juce::AudioProcessor> processor,
                                        juce::AudioProcessor::BusesLayout layout)
{
    prepareNodeProcessor (*processor, layout);
    auto* address = processor.get();
    graph.addNode (std::move (processor));
    return address;
}

std::vector<juce::AudioProcessor*> findProcessingOrder (const juce::AudioProcessorGraph& graph)
{
    using IOProcessor = juce::AudioProcessorGraph::AudioGraphIOProcessor;

    const auto connections = graph.getConnections();
    std::set<juce::AudioProcessorGraph::NodeID> placed;
    std::vector<juce::AudioProcessor*> order;

    auto isFedOnlyByPlaced = [&] (juce::AudioProcessorGraph::NodeID node) {
        return std::all_of (connections.begin(), connections.end(), [&] (const auto& connection) {
            return connection.destination.nodeID != node || placed.count (connection.source.nodeID) != 0;
        });
    };

    // One node at least is placed in every pass unless the connections form a loop, which the graph refuses.
    for (int pass = 0; pass < graph.getNumNodes(); ++pass)
    {
        for (auto* node : graph.getNodes())
        {
            if (placed.count (node->nodeID) != 0 || ! isFedOnlyByPlaced (node->nodeID))
                continue;

            placed.insert (node->nodeID);

            if (dynamic_cast<IOProcessor*> (node->getProcessor()) == nullptr)
                order.push_back (node->getProcessor());
        }
    }

    return order;
}

void connectChannels (juce::AudioProcessorGraph& graph,
                      juce::AudioProcessorGraph::Node::Ptr source,
                      juce::AudioProcessorGraph::Node::Ptr destination,
                      int numChannels)
{
    for (int channel = 0; channel < numChannels; ++channel)
        graph.addConnection ({ { source->nodeID, channel }, { destination->nodeID, channel } });
}

std::unique_ptr<ProcessingGraph> createProcessingGraph (double sampleRate, int blockSize)
{
    using IOProcessor = juce::AudioProcessorGraph::AudioGraphIOProcessor;

    auto result = std::make_unique<ProcessingGraph>();
    auto& graph = result->graph;
    const auto layout = makeBusesLayout (2, 2);

    graph.setPlayConfigDetails (2, 2, sampleRate, blockSize);
    graph.enableAllBuses();

    result->inputNode = addProcessorNode (graph, std::make_unique<IOProcessor> (IOProcessor::audioInputNode), layout);
    result->outputNode = addProcessorNode (graph, std::make_unique<IOProcessor> (IOProcessor::audioOutputNode), layout);

    // The binaural node is added before the gain node; the connections, not the order of addition, make
    // the signal run through the gain first.
    auto binaural = std::make_unique<BinauralProcessor>();
    result->binauralProcessor = binaural.get();
    prepareNodeProcessor (*binaural, layout);
    graph.addNode (std::move (binaural));

    auto gain = std::make_unique<GainProcessor>();
    result->gainProcessor = gain.get();
    prepareNodeProcessor (*gain, layout);
    graph.addNode (std::move (gain));

    const auto inputNode = findNodeOf (graph, result->inputNode);
    const auto gainNode = findNodeOf (graph, result->gainProcessor);
    const auto binauralNode = findNodeOf (graph, result->binauralProcessor);
    const auto outputNode = findNodeOf (graph, result->outputNode);

    connectChannels (graph, inputNode, gainNode, 2);
    connectChannels (graph, gainNode, binauralNode, 2);
    connectChannels (graph, binauralNode, outputNode, 2);

    result->processingOrder = findProcessingOrder (graph);
    return result;
}
} // namespace corvane
