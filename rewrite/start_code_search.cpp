#include "rewrite/start_code_search.h"

#include <initializer_list>
#include <utility>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TOLVA_X86 1
#endif

namespace tolva {

namespace {

bool IsStartCodeAt(const uint8_t* data, size_t j) {
  return data[j] == 0x00 && data[j + 1] == 0x00 && data[j + 2] == 0x01 && data[j + 3] == 0xB3;
}

size_t PlainFrom(const uint8_t* data, size_t from, size_t last) {
  for (size_t j = from; j <= last; ++j) {
    if (IsStartCodeAt(data, j)) return j;
  }
  return kNoStartCode;
}

// Checks the candidates of a block: bit i of `mask` marks position base + i.
template <typename Mask>
size_t FirstInMask(const uint8_t* data, size_t base, Mask mask) {
  while (mask != 0) {
    const size_t j = base + static_cast<size_t>(__builtin_ctzll(mask));
    if (data[j] == 0x00 && data[j + 1] == 0x00) return j;
    mask &= mask - 1;
  }
  return kNoStartCode;
}

#ifdef TOLVA_X86

// The vector versions compare bytes 2 and 3 of every window with 01 B3, a pair that is rare in
// video data, and check bytes 0 and 1 only where both match.

constexpr size_t kBlock = 64;          // window positions per 64-bit mask
constexpr size_t kRound = 4 * kBlock;  // window positions tested with one branch

// The first window at or after `from` whose byte 2 starts a cache line. From there on the loads
// of bytes 2 are aligned, and only the loads of bytes 3 can straddle two lines.
size_t FirstAlignedWindow(const uint8_t* data, size_t from) {
  const auto byte2 = reinterpret_cast<uintptr_t>(data + from + 2);
  return from + ((kBlock - byte2 % kBlock) % kBlock);
}

// 0xFF at i where window j + i holds 01 B3 at its bytes 2 and 3; data + j + 2 is 32-byte aligned.
__attribute__((target("avx2"))) inline __m256i Hits256(const uint8_t* data, size_t j) {
  const __m256i ones = _mm256_set1_epi8(0x01);
  const __m256i b3s = _mm256_set1_epi8(static_cast<char>(0xB3));
  const auto* at2 = reinterpret_cast<const __m256i*>(data + j + 2);
  const auto* at3 = reinterpret_cast<const __m256i*>(data + j + 3);
  return _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_load_si256(at2), ones),
                          _mm256_cmpeq_epi8(_mm256_loadu_si256(at3), b3s));
}

// Bit i set where window j + i holds 01 B3 at its bytes 2 and 3.
__attribute__((target("avx2"))) inline uint64_t Mask64(__m256i low, __m256i high) {
  return static_cast<uint32_t>(_mm256_movemask_epi8(low)) |
         (uint64_t{static_cast<uint32_t>(_mm256_movemask_epi8(high))} << 32);
}

__attribute__((target("avx2"))) size_t NextAvx2(const uint8_t* data, size_t from, size_t last) {
  size_t j = FirstAlignedWindow(data, from);
  if (j > last) return PlainFrom(data, from, last);
  if (j > from) {
    const size_t found = PlainFrom(data, from, j - 1);
    if (found != kNoStartCode) return found;
  }
  for (; last >= j && last - j >= kRound - 1; j += kRound) {
    // Written out rather than looped: held in registers, not spilled to an array.
    const __m256i h0 = Hits256(data, j), h1 = Hits256(data, j + 32);
    const __m256i h2 = Hits256(data, j + 64), h3 = Hits256(data, j + 96);
    const __m256i h4 = Hits256(data, j + 128), h5 = Hits256(data, j + 160);
    const __m256i h6 = Hits256(data, j + 192), h7 = Hits256(data, j + 224);
    const __m256i any =
        _mm256_or_si256(_mm256_or_si256(_mm256_or_si256(h0, h1), _mm256_or_si256(h2, h3)),
                        _mm256_or_si256(_mm256_or_si256(h4, h5), _mm256_or_si256(h6, h7)));
    if (_mm256_testz_si256(any, any)) continue;
    for (const auto& [mask, base] :
         {std::pair{Mask64(h0, h1), j}, std::pair{Mask64(h2, h3), j + 64},
          std::pair{Mask64(h4, h5), j + 128}, std::pair{Mask64(h6, h7), j + 192}}) {
      const size_t found = FirstInMask(data, base, mask);
      if (found != kNoStartCode) return found;
    }
  }
  return PlainFrom(data, j, last);
}

size_t NextSse2(const uint8_t* data, size_t from, size_t last) {
  const __m128i ones = _mm_set1_epi8(0x01);
  const __m128i b3s = _mm_set1_epi8(static_cast<char>(0xB3));
  size_t j = from;
  for (; last >= j && last - j >= 15; j += 16) {
    const __m128i hit = _mm_and_si128(
        _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + j + 3)), b3s),
        _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + j + 2)), ones));
    const size_t found = FirstInMask(data, j, static_cast<uint32_t>(_mm_movemask_epi8(hit)));
    if (found != kNoStartCode) return found;
  }
  return PlainFrom(data, j, last);
}

#endif  // TOLVA_X86

using SearchFunction = size_t (*)(const uint8_t*, size_t, size_t);

SearchFunction FunctionOf(StartCodeKernel kernel) {
  switch (kernel) {
#ifdef TOLVA_X86
    case StartCodeKernel::kAvx2:
      return NextAvx2;
    case StartCodeKernel::kSse2:
      return NextSse2;
#endif
    default:
      return PlainFrom;
  }
}

StartCodeKernel BestKernel() {
  for (StartCodeKernel kernel : kStartCodeKernels) {
    if (IsKernelSupported(kernel)) return kernel;
  }
  return StartCodeKernel::kPlain;
}

}  // namespace

bool IsKernelSupported(StartCodeKernel kernel) {
#ifdef TOLVA_X86
  __builtin_cpu_init();
  switch (kernel) {
    case StartCodeKernel::kAvx2:
      return __builtin_cpu_supports("avx2");
    default:
      return true;  // SSE2 is part of x86-64
  }
#else
  return kernel == StartCodeKernel::kPlain;
#endif
}

size_t NextStartCodeWith(StartCodeKernel kernel, const uint8_t* data, size_t from, size_t last) {
  if (from > last) return kNoStartCode;
  return FunctionOf(kernel)(data, from, last);
}

size_t NextStartCode(const uint8_t* data, size_t from, size_t last) {
  if (from > last) return kNoStartCode;
  static const SearchFunction search = FunctionOf(BestKernel());
  return search(data, from, last);
}

}  // namespace tolva
