// Feeds DXF text to the room import. The first byte picks the level's generation and the room.
// A refused file must leave the level exactly as it was.

#include <cstdlib>
#include <string_view>

#include "exchange/dxf_file.h"
#include "fixtures/test_level.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qavel;
  if (size < 1) return 0;
  const int32_t kind = data[0] % 7 + 1;
  const size_t room = (data[0] >> 3) % 3;  // room 2 does not exist
  static const std::array<Ttrlevel, 7> levels = [] {
    std::array<Ttrlevel, 7> l;
    for (int32_t k = 1; k <= 7; ++k) l[k - 1] = test::MakeLevel(k, 2, 40, 3);
    return l;
  }();
  const Ttrlevel& original = levels[kind - 1];
  Ttrlevel level = original;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  if (!ImportRoomDxfText(level, room, text, "fuzz.dxf")) {
    if (!(level == original)) std::abort();
    return 0;
  }
  // What was imported must export again.
  if (!WriteRoomDxfText(level, room)) std::abort();
  return 0;
}
