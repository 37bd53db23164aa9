#pragma once
// Small levels built in memory for the floor-data tests.

#include <cstring>

#include "fixtures/test_level.h"
#include "level/ttrlevel.h"

namespace qavel::test {

inline tsector Sector(uint16_t fd_index, uint8_t below = 255, uint8_t above = 255,
                      int8_t floor = 0) {
  tsector s{};
  s.fd_index = fd_index;
  s.room_below = below;
  s.room_above = above;
  s.floor = floor;
  return s;
}

// A TR4 level with one nx x nz room of sectors without floor data and the given stream.
inline Ttrlevel LevelWithRoom(uint16_t nx, uint16_t nz, std::vector<uint16_t> floor_data) {
  Ttrlevel level;
  level.version_kind = kTR4;
  troom room;
  room.num_x_sectors = nx;
  room.num_z_sectors = nz;
  room.sectors.assign(size_t{nx} * nz, Sector(0));
  level.rooms.push_back(room);
  level.floor_data = std::move(floor_data);
  return level;
}

inline void AddItem(Ttrlevel& level, uint16_t object_id) {
  titem2 item{};
  item.object_id = object_id;
  AppendItem(level, item);
}

inline void AddCamera(Ttrlevel& level, uint16_t flags) {
  tcamera cam{};
  std::memcpy(cam.raw + 14, &flags, 2);
  level.cameras.push_back(cam);
}

}  // namespace qavel::test
