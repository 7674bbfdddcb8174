#include "rewrite/start_code_search.h"

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

constexpr size_t kBlock = 64;  // window positions per mask

// The vector versions compare bytes 2 and 3 of every window with 01 B3, a pair that is rare in
// video data, and check bytes 0 and 1 only where both match.

// Bit i set where position j + i holds 01 B3 at its bytes 2 and 3.
__attribute__((target("avx512bw"))) inline __mmask64 BlockMask512(const uint8_t* data, size_t j) {
  const __m512i ones = _mm512_set1_epi8(0x01);
  const __m512i b3s = _mm512_set1_epi8(static_cast<char>(0xB3));
  return _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(data + j + 3), b3s) &
         _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(data + j + 2), ones);
}

// The same for 32 positions, as a vector of 0xFF where they match.
__attribute__((target("avx2"))) inline __m256i Hits256(const uint8_t* data, size_t j) {
  const __m256i ones = _mm256_set1_epi8(0x01);
  const __m256i b3s = _mm256_set1_epi8(static_cast<char>(0xB3));
  const auto* at3 = reinterpret_cast<const __m256i*>(data + j + 3);
  const auto* at2 = reinterpret_cast<const __m256i*>(data + j + 2);
  return _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_loadu_si256(at3), b3s),
                          _mm256_cmpeq_epi8(_mm256_loadu_si256(at2), ones));
}

__attribute__((target("avx2"))) inline uint64_t Mask256(__m256i hits) {
  return static_cast<uint32_t>(_mm256_movemask_epi8(hits));
}

__attribute__((target("avx512bw"))) size_t NextAvx512(const uint8_t* data, size_t from,
                                                      size_t last) {
  size_t j = from;
  // Four blocks a round: one branch for 256 positions.
  for (; last >= j && last - j >= 4 * kBlock - 1; j += 4 * kBlock) {
    const __mmask64 m0 = BlockMask512(data, j);
    const __mmask64 m1 = BlockMask512(data, j + kBlock);
    const __mmask64 m2 = BlockMask512(data, j + 2 * kBlock);
    const __mmask64 m3 = BlockMask512(data, j + 3 * kBlock);
    if ((m0 | m1 | m2 | m3) == 0) continue;
    for (const auto& [mask, base] :
         {std::pair{m0, j}, std::pair{m1, j + kBlock}, std::pair{m2, j + 2 * kBlock},
          std::pair{m3, j + 3 * kBlock}}) {
      const size_t found = FirstInMask(data, base, mask);
      if (found != kNoStartCode) return found;
    }
  }
  for (; last >= j && last - j >= kBlock - 1; j += kBlock) {
    const size_t found = FirstInMask(data, j, BlockMask512(data, j));
    if (found != kNoStartCode) return found;
  }
  return PlainFrom(data, j, last);
}

__attribute__((target("avx2"))) size_t NextAvx2(const uint8_t* data, size_t from, size_t last) {
  size_t j = from;
  // 128 positions a round, tested with one branch; masks are made only where something matched.
  for (; last >= j && last - j >= 2 * kBlock - 1; j += 2 * kBlock) {
    const __m256i h0 = Hits256(data, j);
    const __m256i h1 = Hits256(data, j + 32);
    const __m256i h2 = Hits256(data, j + 64);
    const __m256i h3 = Hits256(data, j + 96);
    const __m256i any = _mm256_or_si256(_mm256_or_si256(h0, h1), _mm256_or_si256(h2, h3));
    if (_mm256_testz_si256(any, any)) continue;
    size_t found = FirstInMask(data, j, Mask256(h0) | (Mask256(h1) << 32));
    if (found == kNoStartCode)
      found = FirstInMask(data, j + kBlock, Mask256(h2) | (Mask256(h3) << 32));
    if (found != kNoStartCode) return found;
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
    case StartCodeKernel::kAvx512:
      return NextAvx512;
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
  for (StartCodeKernel kernel :
       {StartCodeKernel::kAvx512, StartCodeKernel::kAvx2, StartCodeKernel::kSse2}) {
    if (IsKernelSupported(kernel)) return kernel;
  }
  return StartCodeKernel::kPlain;
}

}  // namespace

bool IsKernelSupported(StartCodeKernel kernel) {
#ifdef TOLVA_X86
  __builtin_cpu_init();
  switch (kernel) {
    case StartCodeKernel::kAvx512:
      return __builtin_cpu_supports("avx512bw");
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
