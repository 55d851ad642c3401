#pragma once

#include <juce_dsp/juce_dsp.h>

#include <complex>
#include <vector>

namespace corvane
{

/** Builds the minimum-phase impulse response belonging to a magnitude spectrum (real-cepstrum
    folding). Minimum phase keeps all energy behind the onset, so upsampled head responses
    gain no pre-ringing.
*/
class MinimumPhase
{
public:
    explicit MinimumPhase (int fftOrder);

    int getFftSize() const noexcept { return size; }

    /** magnitude holds bins 0 ... size / 2. The result is cut to outputLength samples with a
        half-Hann fade over its last quarter.
    */
    std::vector<float> build (const std::vector<double>& magnitude, int outputLength);

private:
    juce::dsp::FFT fft;
    int size;
    std::vector<juce::dsp::Complex<float>> timeData, frequencyData;

    // Keeps the log finite in stop bands; -120 dB is far below anything audible
    static constexpr double magnitudeFloor = 1.0e-6;

    JUCE_DECLARE_NON_COPYABLE (MinimumPhase)
};

} // namespace corvane
