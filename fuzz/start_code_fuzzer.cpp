// Every start-code search the processor can run must find exactly the windows a plain
// one-position-at-a-time loop finds, for any bytes and any last window.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "rewrite/start_code_search.h"

namespace {

constexpr uint8_t kCode[] = {0x00, 0x00, 0x01, 0xB3};

std::vector<size_t> Reference(const uint8_t* data, size_t size, size_t last) {
  std::vector<size_t> found;
  for (size_t j = 0; j <= last && j + 8 <= size; ++j) {
    if (std::memcmp(data + j, kCode, 4) == 0) found.push_back(j);
  }
  return found;
}

std::vector<size_t> Search(tolva::StartCodeKernel kernel, const uint8_t* data, size_t size,
                           size_t last) {
  std::vector<size_t> found;
  if (size < 8) return found;
  last = last < size - 8 ? last : size - 8;
  for (size_t j = tolva::NextStartCodeWith(kernel, data, 0, last); j != tolva::kNoStartCode;
       j = tolva::NextStartCodeWith(kernel, data, j + 1, last)) {
    found.push_back(j);
  }
  return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  if (size < 2) return 0;
  // The first two bytes choose the last window; the rest is the buffer, copied so that the
  // sanitizer sees its exact end.
  const size_t last = (size_t{input[0]} << 8 | input[1]) % (size + 16);
  const std::vector<uint8_t> bytes(input + 2, input + size);
  const std::vector<size_t> expected = Reference(bytes.data(), bytes.size(), last);
  for (tolva::StartCodeKernel kernel : tolva::kStartCodeKernels) {
    if (!tolva::IsKernelSupported(kernel)) continue;
    if (Search(kernel, bytes.data(), bytes.size(), last) != expected) std::abort();
  }
  return 0;
}
