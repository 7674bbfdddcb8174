// Finding the sequence-header start code 00 00 01 B3 in a buffer at memory speed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tolva {

inline constexpr size_t kNoStartCode = SIZE_MAX;

// The first j in [from, last] where data[j..j+3] is 00 00 01 B3, or kNoStartCode.
// data[j..j+7] must be readable for every j up to `last`. Uses AVX2 where the processor has it,
// else SSE2, chosen once at run time. There is no AVX-512 version: the search is bound by loads,
// and on processors that execute 512-bit operations in two halves it measured slower than AVX2.
size_t NextStartCode(const uint8_t* data, size_t from, size_t last);

// The implementations NextStartCode chooses from, so that each can be tested on any processor
// that runs it.
enum class StartCodeKernel { kPlain, kSse2, kAvx2 };
// Every implementation, fastest first: NextStartCode uses the first one the processor supports.
inline constexpr std::array<StartCodeKernel, 3> kStartCodeKernels = {
    StartCodeKernel::kAvx2, StartCodeKernel::kSse2, StartCodeKernel::kPlain};
bool IsKernelSupported(StartCodeKernel kernel);
size_t NextStartCodeWith(StartCodeKernel kernel, const uint8_t* data, size_t from, size_t last);

}  // namespace tolva
