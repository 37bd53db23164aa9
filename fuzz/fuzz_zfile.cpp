// Feeds arbitrary bytes to the ZLIB container and the chunk unpacker: each answers with bytes
// or a failure, never beyond its limits.

#include <cstdint>
#include <cstdlib>

#include "level/zfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qavel::Bytes content(data, data + size);
  if (qavel::IsContainer(content)) {
    const auto unpacked = qavel::UnpackContainer(content, "fuzz");
    if (!unpacked && unpacked.message().find("fuzz") == std::string::npos) std::abort();
  }
  const auto block = qavel::UnpackBlock(data, size, size > 4 ? data[0] * 1000u : 0);
  if (block && block->size() > qavel::kMaxUnpackedSize) std::abort();
  return 0;
}
