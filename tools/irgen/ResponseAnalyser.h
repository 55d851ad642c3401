#pragma once

#include "RoomDesign.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>

namespace corvane
{

/** The figures the generator prints and checks: peaks, energies, interaural differences and
    reverberation times measured back from the finished response.
*/
class ResponseAnalyser
{
public:
    struct ChannelFigures
    {
        int peakFrame = 0;
        float peakValue = 0.0f;
        double usedEnergy = 0.0; // sum of squares over the used frames
        double restEnergy = 0.0; // sum of squares behind them
    };

    static ChannelFigures analyseChannel (const juce::AudioBuffer<float>& response, int channel, int usedFrames);

    /** T20 per octave band (Schroeder integration, -5 to -25 dB) of one channel. */
    static RoomDesign::BandValues measureReverberationTimes (const juce::AudioBuffer<float>& response, int channel,
                                                             double sampleRate);

    /** Energy per octave band of one channel, in dB. */
    static RoomDesign::BandValues measureBandLevels (const juce::AudioBuffer<float>& response, int channel, double sampleRate);

    /** First frame whose magnitude exceeds the threshold, or -1. */
    static int findFirstFrameAbove (const juce::AudioBuffer<float>& response, int channel, float threshold);

    /** Energy decay curve in dB (Schroeder backward integral, 0 dB at the start). */
    static std::vector<double> getEnergyDecayCurve (const float* samples, int numSamples);

private:
    static std::vector<float> filterOctaveBand (const juce::AudioBuffer<float>& response, int channel, int band,
                                                double sampleRate);
};

} // namespace corvane
