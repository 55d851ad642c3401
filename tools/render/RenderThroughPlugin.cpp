// Renders an audio file through a VST3 bundle the way a host would, for listening checks:
//   zem2_render <bundle.vst3> <input.wav> <output.wav> [--zem-off] [--gain-db <dB>]
#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <iostream>

namespace
{
int fail (const juce::String& message)
{
    std::cerr << message << std::endl;
    return 1;
}

juce::AudioProcessorParameter* findParameter (juce::AudioPluginInstance& plugin, const juce::String& name)
{
    for (auto* parameter : plugin.getParameters())
        if (parameter->getName (100) == name)
            return parameter;
    return nullptr;
}
} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add (argv[i]);

    if (args.size() < 3)
        return fail ("usage: zem2_render <bundle.vst3> <input.wav> <output.wav> [--zem-off] [--gain-db <dB>]");

    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (juce::File (args[1])));
    if (reader == nullptr)
        return fail ("cannot read " + args[1]);

    juce::VST3PluginFormat vst3;
    juce::OwnedArray<juce::PluginDescription> descriptions;
    vst3.findAllTypesForFile (descriptions, juce::File (args[0]).getFullPathName());
    if (descriptions.isEmpty())
        return fail ("no plug-in in " + args[0]);

    constexpr int blockSize = 512;
    juce::String error;
    auto plugin = vst3.createInstanceFromDescription (*descriptions[0], reader->sampleRate, blockSize, error);
    if (plugin == nullptr)
        return fail (error);

    if (args.contains ("--zem-off"))
        findParameter (*plugin, "ZEM On")->setValueNotifyingHost (0.0f);

    if (const auto index = args.indexOf ("--gain-db"); index >= 0 && index + 1 < args.size())
    {
        auto* gain = findParameter (*plugin, "Master Gain");
        gain->setValueNotifyingHost ((args[index + 1].getFloatValue() + 48.0f) / 60.0f);
    }

    plugin->setPlayConfigDetails (2, 2, reader->sampleRate, blockSize);
    plugin->prepareToPlay (reader->sampleRate, blockSize);
    juce::Thread::sleep (500); // the plug-in loads its responses on background threads

    const auto length = static_cast<int> (reader->lengthInSamples);
    const auto tail = static_cast<int> (reader->sampleRate * 0.5);
    juce::AudioBuffer<float> input (2, length + tail);
    input.clear();
    reader->read (&input, 0, length, 0, true, true);

    juce::AudioBuffer<float> output (2, length + tail);
    juce::AudioBuffer<float> block (2, blockSize);
    juce::MidiBuffer midi;

    for (int start = 0; start < output.getNumSamples(); start += blockSize)
    {
        const auto count = juce::jmin (blockSize, output.getNumSamples() - start);
        block.setSize (2, count, false, false, true);
        for (int channel = 0; channel < 2; ++channel)
            block.copyFrom (channel, 0, input, channel, start, count);

        plugin->processBlock (block, midi);

        for (int channel = 0; channel < 2; ++channel)
            output.copyFrom (channel, start, block, channel, 0, count);
    }

    plugin->releaseResources();

    juce::File outFile (args[2]);
    outFile.deleteFile();
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        wav.createWriterFor (outFile.createOutputStream().release(), reader->sampleRate, 2, 32, {}, 0));
    if (writer == nullptr)
        return fail ("cannot write " + args[2]);

    writer->writeFromAudioSampleBuffer (output, 0, output.getNumSamples());
    std::cout << "rendered " << output.getNumSamples() << " frames at " << reader->sampleRate << " Hz" << std::endl;
    return 0;
}
