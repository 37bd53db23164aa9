// Feeds arbitrary bytes to the level reader under every file name the generations use. A file
// that reads must write, and reading what was written must give the level with the values the
// writer computed; writing that again gives the same bytes. Its texture pages, which stay
// packed through all that, then unpack or fail in one line.

#include <cstdint>
#include <cstdlib>

#include "level/level_reader.h"
#include "level/level_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qavel;
  static const char* const kNames[] = {"f.phd", "f.tub", "f.tr2", "f.trg", "f.tr4", "f.trc"};
  const char* name = kNames[size ? data[size - 1] % 6 : 0];
  auto level = ReadLevelBytes(Bytes(data, data + size), name);
  if (!level) {
    if (level.message().empty() || level.message().find('\n') != std::string::npos) std::abort();
    return 0;
  }
  const auto written = WriteLevelBytes(*level, name);
  if (!written) std::abort();
  const auto again = ReadLevelBytes(written->bytes, name);
  if (!again) std::abort();
  AdoptFileValues(*level, written->values);
  if (!(*again == *level)) std::abort();
  const auto rewritten = WriteLevelBytes(*again, name);
  if (!rewritten || rewritten->bytes != written->bytes) std::abort();
  const Result pages = UnpackTexturePages(*level);
  if (!pages && (pages.message().empty() || pages.message().find('\n') != std::string::npos))
    std::abort();
  return 0;
}
