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
  const auto read = qavel::ReadLevel(argv[1]);
  if (!read) {
    std::fprintf(stderr, "%s\n", read.message().c_str());
    return 1;
  }
  const qavel::Ttrlevel& level = *read;
  // Unpacked content: the file with every packed chunk counted at its unpacked size.
  std::ifstream f(argv[1], std::ios::binary | std::ios::ate);
  size_t content = static_cast<size_t>(f.tellg());
  for (const auto* chunk : {&level.origin.pages32, &level.origin.pages16, &level.origin.misc_pages,
                            &level.origin.level_data})
    content += chunk->unpacked.size() - chunk->packed.size();
  const long peak = StatusKiB("VmHWM:") - before;
  std::printf("%s: unpacked content %zu KiB, peak added while open %ld KiB, ratio %.2f\n", argv[1],
              content / 1024, peak, peak * 1024.0 / static_cast<double>(content));
  return 0;
}
