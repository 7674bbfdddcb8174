// A large byte buffer for whole-pass reads, backed by huge pages where the system offers them:
// the kernel's copy into it and a scan over it then take far fewer TLB misses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tolva::platform {

class LargeBuffer {
 public:
  // Reserves `size` bytes, left uninitialised. Raises std::bad_alloc when memory is short.
  explicit LargeBuffer(size_t size);
  ~LargeBuffer();
  LargeBuffer(const LargeBuffer&) = delete;
  LargeBuffer& operator=(const LargeBuffer&) = delete;

  uint8_t* data() { return data_; }
  size_t size() const { return size_; }
  std::span<uint8_t> First(size_t count) { return {data_, count}; }

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t mapped_ = 0;  // bytes mapped, a whole number of huge pages; 0 when from the heap
};

}  // namespace tolva::platform
