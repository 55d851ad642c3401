// zem2_irgen: renders the two binaural room impulse responses that the plug-in embeds.
//
//   zem2_irgen [outputDirectory] [--sofa file.sofa] [--plot-data file.txt]
//
// Writes ZEM2-IR-192kHz32bit_01_L_20210130.wav (left loudspeaker) and
// ZEM2-IR-192kHz32bit_02_R_20210130.wav (right loudspeaker) and prints the figures they are
// checked against. Exit code 1 when a file fails its checks.

#include "BinauralRoomRenderer.h"
#include "BroadcastWaveWriter.h"
#include "FrequencyBands.h"
#include "HrirSet.h"
#include "ResponseAnalyser.h"
#include "RoomDesign.h"
#include "ShoeboxRoom.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <cstdio>
#include <cstring>
#include <iostream>

namespace corvane
{

namespace
{
    const char* const leftFileName = "ZEM2-IR-192kHz32bit_01_L_20210130.wav";
    const char* const rightFileName = "ZEM2-IR-192kHz32bit_02_R_20210130.wav";
    const char* const originationDate = "2021-01-30";
    const char* const originationTime = "12:00:00";

    bool check (bool condition, const juce::String& what)
    {
        std::printf ("  [%s] %s\n", condition ? " ok " : "FAIL", what.toRawUTF8());
        return condition;
    }

    juce::String formatBands (const RoomDesign::BandValues& values, const char* format)
    {
        juce::String text;

        for (int band = 0; band < RoomDesign::numBands; ++band)
            text << FrequencyBands::getName (band) << ":" << juce::String::formatted (format, values[(size_t) band]) << " ";

        return text.trimEnd();
    }

    bool verifyLayout (const juce::MemoryBlock& bytes, const RoomDesign& design)
    {
        auto ok = check ((int) bytes.getSize() == 769118, "file size " + juce::String ((int) bytes.getSize()) + " bytes");
        const auto* data = static_cast<const char*> (bytes.getData());

        auto readInt = [data] (int offset) { return (int) juce::ByteOrder::littleEndianInt (data + offset); };
        auto idAt = [data] (int offset) { return juce::String (data + offset, 4); };

        struct Expected
        {
            int offset;
            const char* id;
            int size;
        };
        const Expected chunks[] = { { 0, "RIFF", 769110 }, { 12, "JUNK", 28 }, { 48, "fmt ", 16 }, { 72, "fact", 4 }, { 84, "bext", 602 }, { 694, "data", 768416 } };

        for (const auto& chunk : chunks)
            ok &= check (idAt (chunk.offset) == chunk.id && readInt (chunk.offset + 4) == chunk.size,
                         juce::String::formatted ("offset %d: \"%s\" size %d", chunk.offset, chunk.id, chunk.size));

        ok &= check (idAt (8) == "WAVE", "form type WAVE");
        ok &= check (readInt (80) == design.fileFrames, "fact frames " + juce::String (readInt (80)));
        ok &= check (juce::String (data + 92 + 320, 10) == originationDate
                         && juce::String (data + 92 + 330, 8) == originationTime
                         && juce::ByteOrder::littleEndianShort (data + 92 + 346) == 1,
                     "bext date, time and version");
        return ok;
    }

    bool verifyReadBack (const juce::File& file, const juce::AudioBuffer<float>& expected, const RoomDesign& design)
    {
        juce::WavAudioFormat format;
        std::unique_ptr<juce::AudioFormatReader> reader (format.createReaderFor (file.createInputStream().release(), true));

        if (! check (reader != nullptr, "juce::WavAudioFormat opens " + file.getFileName()))
            return false;

        auto ok = check (reader->sampleRate == design.sampleRate && reader->numChannels == 2
                             && reader->lengthInSamples == design.fileFrames && reader->usesFloatingPointData
                             && reader->bitsPerSample == 32,
                         juce::String::formatted ("reader: %.0f Hz, %u channels, %lld frames, %u-bit %s",
                                                  reader->sampleRate, reader->numChannels, (long long) reader->lengthInSamples,
                                                  reader->bitsPerSample, reader->usesFloatingPointData ? "float" : "int"));

        juce::AudioBuffer<float> readBack (2, design.fileFrames);
        reader->read (&readBack, 0, design.fileFrames, 0, true, true);

        auto identical = true;

        for (int channel = 0; channel < 2; ++channel)
            identical &= std::memcmp (readBack.getReadPointer (channel), expected.getReadPointer (channel),
                                      sizeof (float) * (size_t) design.fileFrames)
                      == 0;

        ok &= check (identical, "samples read back bit for bit");
        return ok;
    }

    void writePlotData (const juce::File& file, const juce::AudioBuffer<float>& response, double sampleRate)
    {
        auto left = ResponseAnalyser::getEnergyDecayCurve (response.getReadPointer (0), response.getNumSamples());
        auto right = ResponseAnalyser::getEnergyDecayCurve (response.getReadPointer (1), response.getNumSamples());
        file.deleteFile();
        juce::FileOutputStream stream (file);
        stream << "# frame ms left right edcLeftDb edcRightDb\n";

        for (int n = 0; n < response.getNumSamples(); ++n)
            stream << juce::String::formatted ("%d %.5f %.8g %.8g %.3f %.3f\n", n, n * 1000.0 / sampleRate,
                                               (double) response.getSample (0, n), (double) response.getSample (1, n),
                                               left[(size_t) n], right[(size_t) n]);
    }

    int run (const juce::StringArray& args)
    {
        RoomDesign design;
        juce::File outputDirectory (juce::File::getCurrentWorkingDirectory().getChildFile ("resources"));
        juce::File sofaFile (ZEM2_DEFAULT_SOFA_FILE);
        juce::File plotFile;

        for (int i = 0; i < args.size(); ++i)
        {
            if (args[i] == "--sofa" && i + 1 < args.size())
                sofaFile = juce::File::getCurrentWorkingDirectory().getChildFile (args[++i]);
            else if (args[i] == "--plot-data" && i + 1 < args.size())
                plotFile = juce::File::getCurrentWorkingDirectory().getChildFile (args[++i]);
            else
                outputDirectory = juce::File::getCurrentWorkingDirectory().getChildFile (args[i]);
        }

        std::printf ("Head responses: %s\n", sofaFile.getFullPathName().toRawUTF8());
        HrirSet hrirs (sofaFile, design);
        std::printf ("  %d directions at %.0f Hz, upsampled to %.0f Hz\n", hrirs.getNumMeasurements(),
                     hrirs.getSourceSampleRate(), design.sampleRate);

        RoomDesign::BandValues equaliserDb {};
        const auto& equaliser = hrirs.getEqualiser();
        auto binWidth = design.sampleRate / hrirs.getFftSize();
        auto referenceDb = juce::Decibels::gainToDecibels (equaliser[(size_t) std::lround (1000.0 / binWidth)]);

        for (int band = 0; band < RoomDesign::numBands; ++band)
            equaliserDb[(size_t) band] = juce::Decibels::gainToDecibels (equaliser[(size_t) std::lround (FrequencyBands::getCentre (band) / binWidth)])
                                       - referenceDb;

        std::printf ("  diffuse-field equaliser (dB re 1 kHz, held flat below %.0f Hz) %s\n", design.lowFrequencyHoldHz, formatBands (equaliserDb, "%+.1f").toRawUTF8());

        ShoeboxRoom room (design);
        RoomDesign::BandValues eyring {}, meanAbsorption {}, q {};

        for (int band = 0; band < RoomDesign::numBands; ++band)
        {
            eyring[(size_t) band] = room.getReverberationTime (band);
            meanAbsorption[(size_t) band] = room.getMeanAbsorption (band);
            q[(size_t) band] = 2.0 * design.directivityExponent[(size_t) band] + 1.0;
        }

        std::printf ("Room %.1f x %.1f x %.1f m, V = %.0f m3, S = %.0f m2\n", design.length, design.width, design.height,
                     room.getVolume(), room.getSurfaceArea());
        std::printf ("  mean absorption  %s\n", formatBands (meanAbsorption, "%.2f").toRawUTF8());
        std::printf ("  Eyring RT60 (s)  %s\n", formatBands (eyring, "%.3f").toRawUTF8());
        std::printf ("  loudspeaker Q    %s\n", formatBands (q, "%.1f").toRawUTF8());

        BinauralRoomRenderer renderer (design, hrirs);
        auto left = renderer.renderLeftLoudspeaker();
        const auto& summary = renderer.getSummary();

        std::printf ("Direct sound: measurement %d (azimuth %.0f, elevation %.0f), onsets %.0f / %.0f frames in the upsampled data\n",
                     summary.directMeasurement, hrirs.getAzimuth (summary.directMeasurement),
                     hrirs.getElevation (summary.directMeasurement), summary.directOnsetNear, summary.directOnsetFar);
        std::printf ("  %d image-source reflections, early/late energy %.1f dB, gain %.6f\n", summary.numReflections,
                     summary.earlyToLateDb, summary.gain);

        // Symmetric room: the right loudspeaker is the left one seen in a mirror
        juce::AudioBuffer<float> right (2, left.getNumSamples());
        right.copyFrom (0, 0, left, 1, 0, left.getNumSamples());
        right.copyFrom (1, 0, left, 0, 0, left.getNumSamples());

        auto ok = true;
        outputDirectory.createDirectory();

        const std::pair<const char*, const juce::AudioBuffer<float>*> files[] = { { leftFileName, &left }, { rightFileName, &right } };

        for (const auto& [name, response] : files)
        {
            auto file = outputDirectory.getChildFile (name);
            auto bytes = BroadcastWaveWriter::createFile (*response, (int) design.sampleRate, originationDate, originationTime);

            std::printf ("\n%s\n", file.getFullPathName().toRawUTF8());
            ok &= check (file.replaceWithData (bytes.getData(), bytes.getSize()), "written");
            ok &= verifyLayout (bytes, design);
            ok &= verifyReadBack (file, *response, design);

            ResponseAnalyser::ChannelFigures figures[2];

            for (int channel = 0; channel < 2; ++channel)
            {
                figures[channel] = ResponseAnalyser::analyseChannel (*response, channel, design.usedFrames);
                std::printf ("  channel %d (%s ear): peak %+.4f at frame %d, energy %.4f over %d frames, %.2e behind them\n",
                             channel, channel == 0 ? "left" : "right", figures[channel].peakValue, figures[channel].peakFrame,
                             figures[channel].usedEnergy, design.usedFrames, figures[channel].restEnergy);
            }

            auto nearChannel = response == &left ? 0 : 1;
            const auto& nearEar = figures[nearChannel];
            const auto& farEar = figures[1 - nearChannel];
            auto ild = 10.0 * std::log10 (nearEar.usedEnergy / farEar.usedEnergy);
            auto delay = farEar.peakFrame - nearEar.peakFrame;

            std::printf ("  far ear: %d frames later (%.3f ms), %.2f dB less energy, peak ratio %.2f dB\n", delay,
                         delay * 1000.0 / design.sampleRate, ild,
                         juce::Decibels::gainToDecibels (std::abs (nearEar.peakValue / farEar.peakValue)));

            ok &= check (std::abs (nearEar.peakFrame - design.directPeakFrame) <= 2, "near-ear peak near frame 70");
            ok &= check (delay >= 40 && delay <= 50, "far-ear peak 40 to 50 frames later");
            ok &= check (std::abs (nearEar.usedEnergy - design.nearEarEnergy) < 0.005, "near-ear energy 0.96");
            ok &= check (ild >= 5.0 && ild <= 12.0, "far ear 5 to 12 dB lower in energy");
            ok &= check (figures[0].restEnergy < 3.0e-6 && figures[1].restEnergy < 3.0e-6, "energy behind the used frames below 3e-6");

            std::printf ("  first frame above 1e-6: channel 0 at %d, channel 1 at %d\n",
                         ResponseAnalyser::findFirstFrameAbove (*response, 0, 1.0e-6f),
                         ResponseAnalyser::findFirstFrameAbove (*response, 1, 1.0e-6f));

            for (int channel = 0; channel < 2; ++channel)
            {
                auto levels = ResponseAnalyser::measureBandLevels (*response, channel, design.sampleRate);
                std::printf ("  band energy ch %d (dB) %s\n", channel, formatBands (levels, "%.1f").toRawUTF8());
            }

            for (int channel = 0; channel < 2; ++channel)
            {
                auto measured = ResponseAnalyser::measureReverberationTimes (*response, channel, design.sampleRate);
                std::printf ("  T20 channel %d (s)  %s\n", channel, formatBands (measured, "%.3f").toRawUTF8());
            }
        }

        if (plotFile != juce::File())
            writePlotData (plotFile, left, design.sampleRate);

        std::printf ("\n%s\n", ok ? "All checks passed." : "Some checks FAILED.");
        return ok ? 0 : 1;
    }
} // namespace

} // namespace corvane

int main (int argc, char* argv[])
{
    std::setvbuf (stdout, nullptr, _IOLBF, 0);

    juce::StringArray args;

    for (int i = 1; i < argc; ++i)
        args.add (argv[i]);

    try
    {
        return corvane::run (args);
    }
    catch (const std::exception& error)
    {
        std::cerr << "zem2_irgen: " << error.what() << std::endl;
        return 2;
    }
}
