// Measures, on a page-cached file, a plain read in the scan's own passes (the limit a scan can
// reach), the scan itself through ChangeFrameRate, and the rewrite and restore per position.
//
//   tolva-bench [--file PATH] [--size-mib N] [--runs N] [--positions N]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/exclusive_file.h"
#include "platform/large_buffer.h"
#include "rewrite/change_frame_rate.h"
#include "rewrite/frame_rate_rewrite.h"
#include "rewrite/main_window_operations.h"
#include "rewrite/offset_list.h"
#include "rewrite/restore.h"
#include "rewrite/restore_file.h"
#include "rewrite/sequence_scan.h"

namespace {

using Clock = std::chrono::steady_clock;
using tolva::kChunkSize;
using tolva::kOverlap;

constexpr uint64_t kMiB = 1024 * 1024;
constexpr uint64_t kHeaderSpacing = 512 * 1024;
const std::vector<uint8_t> kHeader = {0x00, 0x00, 0x01, 0xB3, 0x2D, 0x01, 0xE0, 0x34};

// A window that shows nothing and answers the options of a conversion to 23.976 fps.
class NullWindow : public tolva::OffsetListWindow {
 public:
  explicit NullWindow(std::string path = {}) : path_(std::move(path)) {}
  void SetPanelText(int, const std::string&) override {}
  void SetProgress(int) override {}
  void ShowMessage(const std::string&) override {}
  void ProcessMessages() override {}
  bool IsRateChecked(int code) const override { return code == 1; }
  bool IsCheckOnly() const override { return false; }
  std::string CurrentPath() const override { return path_; }

 private:
  std::string path_;
};

struct Options {
  std::string file;
  uint64_t size_mib = 1024;
  int runs = 11;
  int positions = 100000;
};

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--file" && has_value) {
      options.file = argv[++i];
    } else if (arg == "--size-mib" && has_value) {
      options.size_mib = std::strtoull(argv[++i], nullptr, 10);
    } else if (arg == "--runs" && has_value) {
      options.runs = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--positions" && has_value) {
      options.positions = std::max(1, std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr,
                   "usage: tolva-bench [--file PATH] [--size-mib N] [--runs N] "
                   "[--positions N]\n");
      std::exit(2);
    }
  }
  return options;
}

// Random payload, a header every 512 KiB, one exactly on a chunk boundary and one across one.
uint64_t MakeTestFile(const std::string& path, uint64_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::vector<uint8_t> block(8 * kMiB);
  uint64_t state = 0x9E3779B97F4A7C15ull;
  uint64_t headers = 0;
  const uint64_t on_boundary = 3 * kChunkSize;
  const uint64_t across_boundary = 5 * kChunkSize - 3;
  for (uint64_t start = 0; start < size; start += block.size()) {
    const size_t length = static_cast<size_t>(std::min<uint64_t>(block.size(), size - start));
    for (size_t i = 0; i + 8 <= length; i += 8) {
      state ^= state << 13;
      state ^= state >> 7;
      state ^= state << 17;
      std::memcpy(&block[i], &state, 8);
    }
    const auto put = [&](uint64_t at) {
      if (at >= start && at + kHeader.size() <= start + length) {
        std::copy(kHeader.begin(), kHeader.end(), block.begin() + static_cast<long>(at - start));
        ++headers;
      }
    };
    for (uint64_t at = (start + kHeaderSpacing - 1) / kHeaderSpacing * kHeaderSpacing + 100;
         at < start + length; at += kHeaderSpacing) {
      put(at);
    }
    put(on_boundary);
    put(across_boundary);
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(length));
  }
  return headers;
}

// Writes the file, puts it on the disk and drops it from the page cache, so that the untimed
// scan reads it back in as it would read a video that has been on the disk a while. A file that
// is still cached from one large write sits in large page-cache folios, where this kernel takes
// some 5 us for each one-byte write instead of under 1 us.
void WriteSettledFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0 || ::fsync(fd) != 0 || ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) != 0) {
    std::abort();
  }
  ::close(fd);
}

double PeakMib() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double Seconds(const std::function<void()>& run) {
  const auto start = Clock::now();
  run();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double MedianSeconds(int runs, const std::function<void()>& run) {
  std::vector<double> seconds;
  for (int i = 0; i < runs; ++i) seconds.push_back(Seconds(run));
  return Median(seconds);
}

// The read a scan cannot avoid: every pass's bytes, into one reused buffer; use(bytes) after each.
template <typename Buffer, typename Use>
void PlainReadInto(const std::string& path, Buffer& buffer, Use use) {
  auto file =
      tolva::platform::ExclusiveFile::Open(path, tolva::platform::ExclusiveFile::Access::kRead);
  const uint64_t size = file.Size();
  for (uint64_t pass = 0; pass <= size / kChunkSize; ++pass) {
    const size_t wanted = pass == size / kChunkSize ? size % kChunkSize : kChunkSize + kOverlap;
    if (file.ReadAt(pass * kChunkSize, std::span(buffer.data(), wanted)) != wanted) std::abort();
    use(std::span<const uint8_t>(buffer.data(), wanted));
  }
}

void PlainRead(const std::string& path) {
  std::vector<uint8_t> buffer(kChunkSize + kOverlap);
  PlainReadInto(path, buffer, [](std::span<const uint8_t>) {});
}

void HugePageRead(const std::string& path) {
  tolva::platform::LargeBuffer buffer(kChunkSize + kOverlap);
  PlainReadInto(path, buffer, [](std::span<const uint8_t>) {});
}

// The read, then one pass over each buffer that only ORs its bytes together: what looking at
// every byte once more costs after the read, whatever the search does with them.
void ReadAndTouch(const std::string& path) {
  tolva::platform::LargeBuffer buffer(kChunkSize + kOverlap);
  uint64_t any = 0;
  PlainReadInto(path, buffer, [&](std::span<const uint8_t> bytes) {
    // Four independent 16-byte lanes, so that the loop is bound by loads, not by the ORs.
    using Lane = uint64_t __attribute__((vector_size(16)));
    const auto at = [&](size_t offset) {
      Lane lane;
      std::memcpy(&lane, bytes.data() + offset, sizeof lane);
      return lane;
    };
    Lane a{}, b{}, c{}, d{};
    size_t i = 0;
    for (; i + 64 <= bytes.size(); i += 64) {
      a |= at(i);
      b |= at(i + 16);
      c |= at(i + 32);
      d |= at(i + 48);
    }
    const Lane all = a | b | c | d;
    any |= all[0] | all[1];
    for (; i < bytes.size(); ++i) any |= bytes[i];
  });
  if (any == 0) std::printf("(the file is all zeros)\n");
}

// The scan of a conversion: the file is read-only, so the conversion ends after its scan.
size_t Scan(const std::string& path) {
  NullWindow window;
  if (tolva::ChangeFrameRate(window, path) != tolva::ChangeOutcome::kReadOnly) std::abort();
  return static_cast<size_t>(window.offsets.Count());
}

void Print(const char* what, double seconds, const std::string& detail) {
  std::printf("%-8s %9.4f s  %s\n", what, seconds, detail.c_str());
}

std::string Rate(uint64_t bytes, double seconds) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f GB/s", static_cast<double>(bytes) / seconds / 1e9);
  return text;
}

std::string PerPosition(double seconds, int positions) {
  char text[64];
  std::snprintf(text, sizeof text, "%.3f us/position (%d positions)", seconds * 1e6 / positions,
                positions);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tolva-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);

  std::string path = options.file;
  if (path.empty()) {
    path = (folder / "bench.m2v").string();
    const uint64_t headers = MakeTestFile(path, options.size_mib * kMiB);
    std::printf("file:    %s (%llu MiB, %llu headers)\n", path.c_str(),
                static_cast<unsigned long long>(options.size_mib),
                static_cast<unsigned long long>(headers));
  }
  const mode_t mode = std::filesystem::status(path).permissions() == std::filesystem::perms::none
                          ? 0644
                          : static_cast<mode_t>(std::filesystem::status(path).permissions());
  ::chmod(path.c_str(), mode & ~0222);  // read-only: the conversion stops after the scan
  const uint64_t size = std::filesystem::file_size(path);

  PlainRead(path);  // warm the page cache
  // The three are timed in turn within each round, so that drift in the machine's speed
  // touches them alike; the ratio is the median of the rounds' ratios.
  std::vector<double> reads, huge_reads, touches, scans, touch_ratios, ratios;
  size_t found = 0;
  for (int round = 0; round < options.runs; ++round) {
    reads.push_back(Seconds([&] { PlainRead(path); }));
    huge_reads.push_back(Seconds([&] { HugePageRead(path); }));
    touches.push_back(Seconds([&] { ReadAndTouch(path); }));
    scans.push_back(Seconds([&] { found = Scan(path); }));
    touch_ratios.push_back(touches.back() / reads.back());
    ratios.push_back(scans.back() / reads.back());
  }
  ::chmod(path.c_str(), mode);
  const double read = Median(reads);
  const double huge_read = Median(huge_reads);
  const double touch = Median(touches);
  const double scan = Median(scans);
  Print("read:", read, Rate(size, read) + ", into an ordinary buffer");
  Print("read:", huge_read, Rate(size, huge_read) + ", into the scan's huge-page buffer");
  Print("touch:", touch, Rate(size, touch) + ", the read and one more look at every byte");
  Print("scan:", scan, Rate(size, scan) + ", " + std::to_string(found) + " lines");

  // Peak memory is monotonic: read now, it covers the reads and scans alone.
  const double scan_peak_mib = PeakMib();

  // Rewrite and restore: one positioning and one single-byte write per listed position.
  const std::string small = (folder / "positions.m2v").string();
  std::vector<uint8_t> small_bytes(static_cast<size_t>(options.positions) * 64, 0x55);
  for (size_t i = 0; i < small_bytes.size(); i += 64) {
    std::copy(kHeader.begin(), kHeader.end(), small_bytes.begin() + static_cast<long>(i));
  }
  NullWindow window(small);
  std::vector<double> rewrites;
  for (int run = 0; run < options.runs; ++run) {
    // Each run from the original file and a fresh scan, both untimed.
    WriteSettledFile(small, small_bytes);
    std::filesystem::remove(tolva::RestoreFilePath(small));
    window.ClearOffsetList();
    const tolva::ScanResult scanned = tolva::ScanSequenceHeaders(window, small);
    rewrites.push_back(Seconds([&] { tolva::RewriteFrameRate(window, scanned); }));
  }
  const double rewrite = Median(rewrites);
  tolva::OffsetList positions;  // as listed, without line 0, the old byte
  for (int i = 1; i < window.offsets.Count(); ++i) positions.Add(window.offsets.Get(i));
  const double restore = MedianSeconds(options.runs, [&] { tolva::RestoreFrameRate(window); });
  // The floor under both: the same single-byte writes with nothing around them.
  const double floor = MedianSeconds(options.runs, [&] {
    auto file = tolva::platform::ExclusiveFile::Open(
        small, tolva::platform::ExclusiveFile::Access::kReadWrite);
    for (int i = 0; i < positions.Count(); ++i) {
      file.WriteByteAt(std::stoull(positions.Get(i)), 0x34);
    }
  });
  Print("writes:", floor, PerPosition(floor, options.positions) + ", bare pwrite, for reference");
  Print("rewrite:", rewrite, PerPosition(rewrite, options.positions));
  Print("restore:", restore, PerPosition(restore, options.positions));

  std::printf("peak RSS: %.1f MiB while reading and scanning, %.1f MiB in all\n", scan_peak_mib,
              PeakMib());
  std::printf("touch/read ratio: %.2f, the least a scan after the read can cost\n",
              Median(touch_ratios));
  std::printf("scan/read ratio: %.2f\n", Median(ratios));

  std::filesystem::remove_all(folder);
  return 0;
}
