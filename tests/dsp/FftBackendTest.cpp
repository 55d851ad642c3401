#include <gtest/gtest.h>
#include <juce_dsp/juce_dsp.h>

#include <fftw3.h>

#include <algorithm>

namespace
{
/** JUCE's FFT as the convolutions use it, and FFTW planned as the plug-in's JUCE plans it: out of place on
    aligned memory, which needs no scratch memory when transforming. */
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
    auto* in = fftwf_alloc_real (static_cast<size_t> (size));
    auto* out = fftwf_alloc_complex (static_cast<size_t> (size / 2 + 1));
    auto plan = fftwf_plan_dft_r2c_1d (size, in, out, FFTW_ESTIMATE);
    std::copy (input.begin(), input.end(), in);
    fftwf_execute_dft_r2c (plan, in, out);

    std::vector<float> data (static_cast<size_t> (size) * 2, 0.0f);
    std::copy_n (reinterpret_cast<const float*> (out), size + 2, data.begin());
    fftwf_destroy_plan (plan);
    fftwf_free (out);
    fftwf_free (in);
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
