// Random floor-data streams and sector indices through the decoder, the texts, the sector
// map and the searches.

#include <cstdint>
#include <cstring>

#include "floordata/floor_data.h"
#include "floordata/searches.h"
#include "floordata/sector_map.h"
#include "floordata/trigger_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qavel;
  if (size < 4) return 0;
  // Header: room size and counts; the rest: sector indices, then the stream.
  const uint16_t nx = data[0] % 8 + 1, nz = data[1] % 8 + 1;
  const size_t items = data[2] % 6, cameras = data[3] % 3;
  data += 4;
  size -= 4;
  Ttrlevel level;
  level.version_kind = kTR4;
  troom room;
  room.num_x_sectors = nx;
  room.num_z_sectors = nz;
  room.sectors.resize(size_t{nx} * nz);
  for (auto& s : room.sectors) {
    s = tsector{};
    s.room_below = s.room_above = 255;
    if (size >= 2) {
      std::memcpy(&s.fd_index, data, 2);
      s.fd_index %= 64;
      s.room_above = data[1] % 4 == 0 ? data[0] : 255;
      data += 2;
      size -= 2;
    }
  }
  tportal portal{};
  portal.adjoining_room = 1;
  room.portals.push_back(portal);
  level.rooms.push_back(room);
  for (size_t i = 0; i < items; ++i) {
    titem2 item{};
    item.object_id = static_cast<uint16_t>(i * 300);
    AppendItem(level, item);
  }
  level.cameras.resize(cameras);
  level.floor_data.resize(size / 2);
  if (!level.floor_data.empty()) std::memcpy(level.floor_data.data(), data, size / 2 * 2);

  const FloorData fd = ParseFloorData(level);
  for (int c = 0; c <= nx + 1; ++c)
    for (int r = 0; r <= nz + 1; ++r) DecodeSector(level, fd, 0, c, r, {});
  for (size_t g = 0; g < fd.num_groups(); ++g)
    for (size_t k = 0; k < fd.Group(static_cast<uint32_t>(g)).functions.size(); ++k)
      DescribeTrigger(level, fd, static_cast<uint32_t>(g), k, {});
  const SectorMap map = BuildSectorMap(level, fd, 0, 1, nz);
  const Image24 image = PaintSectorMap(map);
  SectorMapCellAt(map, image.width() - 1, 0);
  SearchCursor cursor;
  while (FindTriggerByCriteria(level, fd, cursor, 0, 0).kind != SearchResult::kNoMatch)
    cursor.Advance();
  cursor.Restart();
  FindTriggerForItem(level, fd, cursor, 1);
  return 0;
}
