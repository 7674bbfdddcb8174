// The fast start-code search and the scan built on it against plain, one-window-at-a-time
// references, on random and adversarial bytes.
#include <gtest/gtest.h>

#include <random>

#include "rewrite/sequence_scan.h"
#include "rewrite/start_code_search.h"
#include "tests/support/fake_main_window.h"
#include "tests/support/temp_dir.h"

namespace tolva::test {
namespace {

const Bytes kCode = {0x00, 0x00, 0x01, 0xB3};

// Every window start j <= last whose four bytes are the start code, one window at a time.
std::vector<size_t> ReferenceStartCodes(const Bytes& bytes, size_t last) {
  std::vector<size_t> found;
  for (size_t j = 0; j <= last && j + 8 <= bytes.size(); ++j) {
    if (std::equal(kCode.begin(), kCode.end(), bytes.begin() + static_cast<long>(j))) {
      found.push_back(j);
    }
  }
  return found;
}

// The kernel's finds, with the bytes copied `shift` bytes into a buffer that ends where they end,
// so that every alignment of the vector loads is tried and a sanitizer sees any read past them.
std::vector<size_t> KernelStartCodes(StartCodeKernel kernel, const Bytes& bytes, size_t last,
                                     size_t shift = 0) {
  std::vector<size_t> found;
  if (bytes.size() < 8) return found;
  Bytes storage(shift + bytes.size());
  std::copy(bytes.begin(), bytes.end(), storage.begin() + static_cast<long>(shift));
  const uint8_t* data = storage.data() + shift;
  last = std::min(last, bytes.size() - 8);
  for (size_t j = NextStartCodeWith(kernel, data, 0, last); j != kNoStartCode;
       j = NextStartCodeWith(kernel, data, j + 1, last)) {
    found.push_back(j);
  }
  return found;
}

// Random bytes seeded with start codes, near misses (one byte off) and partial codes.
Bytes AdversarialBytes(std::mt19937& random, size_t size) {
  Bytes bytes(size);
  const int style = static_cast<int>(random() % 3);
  for (auto& b : bytes) {
    // Mostly zeros and 01/B3, so that partial matches are everywhere.
    b = style == 0 ? static_cast<uint8_t>(random())
                   : std::array<uint8_t, 4>{0x00, 0x00, 0x01, 0xB3}[random() % 4];
  }
  const size_t plants = size / 16 + 1;
  for (size_t i = 0; i < plants && size >= 4; ++i) {
    const size_t at = random() % (size - 3);
    std::copy(kCode.begin(), kCode.end(), bytes.begin() + static_cast<long>(at));
    if (random() % 3 == 0) bytes[at + random() % 4] ^= static_cast<uint8_t>(1 + random() % 255);
  }
  return bytes;
}

std::vector<StartCodeKernel> SupportedKernels() {
  std::vector<StartCodeKernel> kernels;
  for (StartCodeKernel kernel : kStartCodeKernels) {
    if (IsKernelSupported(kernel)) kernels.push_back(kernel);
  }
  return kernels;
}

TEST(EveryStartCodeKernel, agreesWithTheOneWindowAtATimeReference) {
  std::mt19937 random(20261211);
  const std::vector<StartCodeKernel> kernels = SupportedKernels();
  for (int round = 0; round < 3000; ++round) {
    // Sizes around the vector widths and their multiples, and some large ones.
    const size_t size = round % 100 == 0 ? 70000 + random() % 1000 : random() % 700;
    const Bytes bytes = AdversarialBytes(random, size);
    const size_t last = random() % 4 == 0 ? SIZE_MAX : random() % (size + 8);
    const std::vector<size_t> expected = ReferenceStartCodes(bytes, last);
    const size_t shift = static_cast<size_t>(round) % 64;
    for (StartCodeKernel kernel : kernels) {
      ASSERT_EQ(KernelStartCodes(kernel, bytes, last, shift), expected)
          << "kernel " << static_cast<int>(kernel) << ", size " << size << ", last " << last
          << ", shift " << shift;
    }
  }
}

TEST(EveryStartCodeKernel, findsBackToBackCodesAndNothingInAllZeros) {
  Bytes codes;
  for (int i = 0; i < 200; ++i) codes.insert(codes.end(), kCode.begin(), kCode.end());
  const Bytes zeros(4096, 0x00);
  for (StartCodeKernel kernel : SupportedKernels()) {
    EXPECT_EQ(KernelStartCodes(kernel, codes, SIZE_MAX), ReferenceStartCodes(codes, SIZE_MAX));
    EXPECT_TRUE(KernelStartCodes(kernel, zeros, SIZE_MAX).empty());
  }
}

// The scan as it reads: 10 MiB passes with 16 bytes of overlap, every window that fits in the
// bytes read examined, the first header taken as the reference. Positions of byte 7.
std::vector<std::string> ReferenceScan(const Bytes& file) {
  constexpr uint64_t kChunk = 10485760;
  std::vector<std::string> lines;
  Bytes reference;
  const uint64_t final_pass = file.size() / kChunk;
  for (uint64_t pass = 0; pass <= final_pass; ++pass) {
    const uint64_t start = pass * kChunk;
    const uint64_t wanted = pass == final_pass ? file.size() % kChunk : kChunk + 16;
    const uint64_t got = std::min<uint64_t>(wanted, file.size() - start);
    const uint64_t limit = pass == final_pass ? file.size() % kChunk : kChunk;
    for (uint64_t j = 0; j <= limit && j + 8 <= got; ++j) {
      const auto window = file.begin() + static_cast<long>(start + j);
      const bool is_header = reference.empty()
                                 ? std::equal(kCode.begin(), kCode.end(), window)
                                 : std::equal(reference.begin(), reference.end(), window);
      if (!is_header) continue;
      if (reference.empty()) reference.assign(window, window + 8);
      lines.push_back(std::to_string(start + j + 7));
    }
  }
  return lines;
}

TEST(TheFastScan, listsWhatTheReferenceScanListsAcrossChunkBoundaries) {
  std::mt19937 random(7);
  const uint64_t chunk = 10485760;
  const Bytes header = SequenceHeader(4, 3);
  const Bytes other = SequenceHeader(5, 3);
  for (uint64_t size : {chunk + 3, chunk + 20, 2 * chunk + 7, 2 * chunk + 5000}) {
    SCOPED_TRACE(size);
    Bytes file = AdversarialBytes(random, static_cast<size_t>(size));
    // Headers and near misses at and around every boundary, and in the last bytes.
    for (uint64_t boundary = chunk; boundary < size; boundary += chunk) {
      for (int64_t offset : {-9, -8, -7, -4, -1, 0, 1, 8, 9, 15, 16}) {
        const uint64_t at = static_cast<uint64_t>(static_cast<int64_t>(boundary) + offset);
        const Bytes& put = (offset % 2 == 0) ? header : other;
        if (at + 8 <= size) std::copy(put.begin(), put.end(), file.begin() + static_cast<long>(at));
      }
    }
    std::copy(header.begin(), header.end(), file.begin());
    std::copy(header.begin(), header.begin() + 7, file.end() - 7);

    TempDir dir;
    WriteFile(dir.File("movie.m2v"), file);
    FakeMainWindow form;
    form.ChooseRate(1);
    ScanSequenceHeaders(form, dir.File("movie.m2v"));
    EXPECT_EQ(form.Lines(), ReferenceScan(file));
  }
}

}  // namespace
}  // namespace tolva::test
