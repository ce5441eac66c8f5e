#include "client/MarkerSearch.h"

#include <cstring>
#include <string.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumin {

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
