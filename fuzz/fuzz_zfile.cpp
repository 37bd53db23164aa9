// Feeds arbitrary bytes to the ZLIB container and the chunk unpacker.

#include <cstdint>

#include "level/zfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qavel::Bytes content(data, data + size);
  try {
    if (qavel::IsContainer(content)) qavel::UnpackContainer(content, "fuzz");
  } catch (const qavel::FileError&) {
  }
  try {
    qavel::UnpackBlock(data, size, size > 4 ? data[0] * 1000u : 0);
  } catch (const qavel::FileError&) {
  }
  return 0;
}
