#include "client/MarkerSearch.h"

#include <cstring>
#include <string.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace lumin {

namespace {

#if defined(__x86_64__)
// Thirty-two candidate starts at a time on processors that have the wider registers.
__attribute__((target("avx2"))) std::size_t scanWide(const char* h, std::size_t n,
                                                     std::string_view marker, const char** found)
{
    const std::size_t m = marker.size();
    const __m256i first = _mm256_set1_epi8(marker[0]);
    const __m256i last = _mm256_set1_epi8(marker[m - 1]);
    std::size_t i = 0;
    for (; i + 32 + m - 1 <= n; i += 32) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + i + m - 1));
        auto mask = static_cast<unsigned>(_mm256_movemask_epi8(
            _mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, last))));
        while (mask != 0) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
            if (std::memcmp(h + at + 1, marker.data() + 1, m - 2) == 0) {
                *found = h + at;
                return at;
            }
            mask &= mask - 1;
        }
    }
    return i;
}

const bool kWide = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
#endif

} // namespace

const char* findMarker(std::string_view data, std::string_view marker)
{
    const std::size_t n = data.size();
    const std::size_t m = marker.size();
    if (m == 0)
        return data.data();
    if (n < m)
        return nullptr;
    const char* h = data.data();
    if (m == 1)
        return static_cast<const char*>(std::memchr(h, marker[0], n));
    std::size_t i = 0;
#if defined(__x86_64__)
    if (kWide) {
        const char* found = nullptr;
        i = scanWide(h, n, marker, &found);
        if (found != nullptr)
            return found;
    }
#endif
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(marker[0]);
    const __m128i last = _mm_set1_epi8(marker[m - 1]);
    // Sixteen candidate starts i..i+15 at a time; their last bytes end at i + 15 + m - 1.
    for (; i + 16 + m - 1 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i + m - 1));
        auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
        while (mask != 0) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
            if (std::memcmp(h + at + 1, marker.data() + 1, m - 2) == 0)
                return h + at;
            mask &= mask - 1;
        }
    }
#endif
    return static_cast<const char*>(memmem(h + i, n - i, marker.data(), m));
}

} // namespace lumin
