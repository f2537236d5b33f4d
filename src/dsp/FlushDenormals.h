#pragma once

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

#include <cstdint>

namespace dsp
{
// Makes the floating-point unit treat denormal numbers as zero, in results
// and in inputs, while it lives; the previous mode comes back after. Decaying
// signal tails then end at zero instead of crawling through the slow denormal
// range.
class FlushDenormals
{
public:
    FlushDenormals() noexcept
    {
#if defined(__SSE__) || defined(__x86_64__)
        saved = _mm_getcsr();
        _mm_setcsr (static_cast<unsigned> (saved) | 0x8040u); // flush to zero, denormals are zero
#elif defined(__aarch64__)
        std::uint64_t fpcr = 0;
        asm volatile("mrs %0, fpcr" : "=r"(fpcr));
        saved = fpcr;
        fpcr |= std::uint64_t { 1 } << 24; // flush to zero
        asm volatile("msr fpcr, %0" : : "r"(fpcr));
#endif
    }

    ~FlushDenormals()
    {
#if defined(__SSE__) || defined(__x86_64__)
        _mm_setcsr (static_cast<unsigned> (saved));
#elif defined(__aarch64__)
        asm volatile("msr fpcr, %0" : : "r"(saved));
#endif
    }

    FlushDenormals (const FlushDenormals&) = delete;
    FlushDenormals& operator= (const FlushDenormals&) = delete;

private:
    std::uint64_t saved = 0;
};
} // namespace dsp
