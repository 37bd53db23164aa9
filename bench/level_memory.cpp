// Peak memory of having a level open, against the size of its unpacked content.
// Usage: level_memory LEVEL. Prints the peak resident memory the open added and the ratio.

#include <sys/resource.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "level/level_reader.h"

namespace {

// A "VmHWM:" (peak) or "VmRSS:" (current) figure of this process, in KiB.
long StatusKiB(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: level_memory LEVEL\n");
    return 2;
  }
  const long before = StatusKiB("VmRSS:");
  qavel::Ttrlevel level;
  std::string message;
  if (qavel::ReadLevel(level, argv[1], &message) != qavel::kReadOk) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return 1;
  }
  // Unpacked content: the file with every packed chunk counted at its unpacked size.
  std::ifstream f(argv[1], std::ios::binary | std::ios::ate);
  size_t content = static_cast<size_t>(f.tellg());
  if (level.version_kind >= qavel::kTR4) {
    content += level.pages32.size() + level.pages16.size() + level.misc_pages.size();
    content -= level.pages32_packed_size + level.pages16_packed_size + level.misc_pages_packed_size;
    const auto& data = level.origin.level_data;
    if (data.unpacked.data) content += data.unpacked.size() - data.packed.size();
  }
  const long peak = StatusKiB("VmHWM:") - before;
  std::printf("%s: unpacked content %zu KiB, peak added while open %ld KiB, ratio %.2f\n", argv[1],
              content / 1024, peak, peak * 1024.0 / static_cast<double>(content));
  return 0;
}
