// Feeds arbitrary bytes to the level reader under every file name the generations use. A file
// that reads must write and read back to the same model and bytes.

#include <cstdint>
#include <cstdlib>

#include "level/level_reader.h"
#include "level/level_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char* const kNames[] = {"f.phd", "f.tub", "f.tr2", "f.trg", "f.tr4", "f.trc"};
  const qavel::Bytes content(data, data + size);
  const char* name = kNames[size ? data[size - 1] % 6 : 0];
  qavel::Ttrlevel level;
  std::string message;
  const int rc = qavel::ReadLevelBytes(level, content, name, &message);
  if (rc != qavel::kReadOk) {
    if (message.empty() || level.IsLoaded()) std::abort();
    return 0;
  }
  qavel::Bytes written;
  if (qavel::WriteLevelBytes(level, name, written, nullptr, &message) != qavel::kWriteOk)
    std::abort();
  qavel::Ttrlevel again;
  if (qavel::ReadLevelBytes(again, written, name, &message) != qavel::kReadOk) std::abort();
  if (!(again == level)) std::abort();
  qavel::Bytes rewritten;
  qavel::WriteLevelBytes(again, name, rewritten);
  if (rewritten != written) std::abort();
  return 0;
}
