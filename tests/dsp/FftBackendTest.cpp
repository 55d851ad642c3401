#include <gtest/gtest.h>
#include <juce_dsp/juce_dsp.h>

#include <fftw3.h>

namespace
{
/** JUCE's FFT as the convolutions use it, and FFTW planned the way JUCE plans it when FFTW backs it. */
std::vector<float> juceForward (int order, const std::vector<float>& input)
{
    juce::dsp::FFT fft (order);
    std::vector<float> data (input);
    data.resize (input.size() * 2, 0.0f);
    fft.performRealOnlyForwardTransform (data.data(), true);
    return data;
}

std::vector<float> fftwForward (int order, const std::vector<float>& input)
{
    const auto size = 1 << order;
    std::vector<float> data (input);
    data.resize (static_cast<size_t> (size) * 2, 0.0f);
    auto* output = reinterpret_cast<fftwf_complex*> (data.data());
    auto plan = fftwf_plan_dft_r2c_1d (size, data.data(), output, FFTW_ESTIMATE | FFTW_UNALIGNED);
    fftwf_execute_dft_r2c (plan, data.data(), output);
    fftwf_destroy_plan (plan);
    return data;
}
} // namespace

TEST (FftBackend, JuceFftIsFftwBitForBit)
{
    // JUCE's own fallback FFT rounds differently; identical bits show that FFTW does the work.
    for (int order : { 6, 8, 10, 11 })
    {
        const auto size = static_cast<size_t> (1 << order);
        std::vector<float> input (size);
        juce::Random random (order);
        for (auto& sample : input)
            sample = random.nextFloat() * 2.0f - 1.0f;

        const auto viaJuce = juceForward (order, input);
        const auto viaFftw = fftwForward (order, input);

        // Bins 0 .. size / 2 are what both compute; JUCE leaves the negative frequencies out here.
        for (size_t i = 0; i < size + 2; ++i)
            ASSERT_EQ (viaJuce[i], viaFftw[i]) << "order " << order << ", value " << i;
    }
}
