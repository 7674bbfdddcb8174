#include <sys/mman.h>

#include <cstdint>
#include <mutex>
#include <new>
#include <utility>

#include "platform/large_buffer.h"

namespace tolva::platform {

namespace {
constexpr size_t kHugePage = 2 * 1024 * 1024;
// Below this, huge pages gain nothing and round the memory up too much.
constexpr size_t kHugePageThreshold = 4 * 1024 * 1024;
// One released mapping kept for the next buffer of the same size: a batch of scans then maps
// and faults in its huge pages once, not once a file.
struct SpareMapping {
  std::mutex mutex;
  uint8_t* data = nullptr;
  size_t mapped = 0;
};

SpareMapping& Spare() {
  static SpareMapping spare;
  return spare;
}

}  // namespace

LargeBuffer::LargeBuffer(size_t size) : size_(size) {
  if (size >= kHugePageThreshold) {
    const size_t wanted = (size + kHugePage - 1) / kHugePage * kHugePage;
    SpareMapping& spare = Spare();
    std::lock_guard lock(spare.mutex);
    if (spare.data != nullptr && spare.mapped == wanted) {
      data_ = std::exchange(spare.data, nullptr);
      mapped_ = std::exchange(spare.mapped, 0);
      return;
    }
  }
  if (size >= kHugePageThreshold) {
    // Map one huge page more than needed, so that a huge-page-aligned start can be kept.
    const size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
    const size_t reserve = rounded + kHugePage;
    void* raw =
        ::mmap(nullptr, reserve, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw != MAP_FAILED) {
      auto* base = static_cast<uint8_t*>(raw);
      const uintptr_t address = reinterpret_cast<uintptr_t>(base);
      uint8_t* aligned = base + ((kHugePage - address % kHugePage) % kHugePage);
      // Give back what lies outside the aligned range.
      if (aligned > base) ::munmap(base, static_cast<size_t>(aligned - base));
      const size_t tail = static_cast<size_t>((base + reserve) - (aligned + rounded));
      if (tail > 0) ::munmap(aligned + rounded, tail);
      ::madvise(aligned, rounded, MADV_HUGEPAGE);  // a hint: without it, ordinary pages
      data_ = aligned;
      mapped_ = rounded;
      return;
    }
  }
  data_ = new uint8_t[size];
}

LargeBuffer::~LargeBuffer() {
  if (mapped_ > 0) {
    SpareMapping& spare = Spare();
    std::lock_guard lock(spare.mutex);
    if (spare.data == nullptr) {
      spare.data = data_;
      spare.mapped = mapped_;
      return;
    }
    ::munmap(data_, mapped_);
  } else {
    delete[] data_;
  }
}

}  // namespace tolva::platform
