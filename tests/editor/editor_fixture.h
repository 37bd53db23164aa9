#pragma once
// A small TR4 level built in memory for the editor tests: three rooms, items, aux records,
// statics and movables with known values.

#include "level/ttrlevel.h"

namespace qavel::test {

inline titem2 MakeItem(uint16_t id, uint16_t room, int32_t x, int32_t y, int32_t z) {
  titem2 i{};
  i.object_id = id;
  i.room = room;
  i.x = x;
  i.y = y;
  i.z = z;
  i.angle = 0x4000;
  i.light1 = 0x1234;
  i.light2_ocb = 7;
  i.item_flags = 0x3E00;
  return i;
}

inline Ttrlevel MakeEditorLevel(int32_t version_kind = kTR4) {
  Ttrlevel level;
  level.loaded_marker = "Kelvora";
  level.version_kind = version_kind;
  level.rooms.resize(6);
  for (size_t r = 0; r < level.rooms.size(); ++r) {
    troom& room = level.rooms[r];
    room.x = static_cast<int32_t>(r) * 4096;
    room.num_x_sectors = 4;
    room.num_z_sectors = 3;
    room.sectors.resize(12);
  }
  troom& room0 = level.rooms[0];
  room0.x = -1500;
  room0.z = 5000;
  room0.y_bottom = -768;
  room0.y_top = -3072;
  room0.flags = 0x8001;
  room0.alternate_room = -1;
  room0.room_extra = {0x2A, 0x01, 0};
  room0.trc_unknown7 = {1, 2, 3, 4, 5};
  AppendStatic(room0, tstatic2{{}, 1024, -512, 2048, 0x1000, 10, 20, 3});
  AppendStatic(room0, tstatic2{{}, -700, 0, 512, 0, 0x1FFF, 0x2000, 4});
  for (uint32_t id : {0u, 5u, 9u, 30u}) {
    tmovable m{};
    m.object_id = id;
    level.movables.push_back(m);
  }
  AppendItem(level, MakeItem(5, 0, -700, -768, 1536));
  AppendItem(level, MakeItem(9, 1, 512, 0, 512));
  AppendItem(level, MakeItem(5, 3, 1024, 256, 2048));
  if (version_kind >= kTR4) {
    taux_item a{};
    a.object_id = 30;
    a.room = 2;
    a.x = 3072;
    a.y = -512;
    a.z = 1024;
    a.ocb = -2;
    a.item_flags = 0x0041;
    level.aux_items.push_back(a);
    a.object_id = 5;
    a.room = 4;
    level.aux_items.push_back(a);
  }
  return level;
}

}  // namespace qavel::test
