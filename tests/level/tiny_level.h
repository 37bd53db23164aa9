#pragma once
// A small but complete level of any generation, built in the model for reader/writer tests.

#include "level/ttrlevel.h"

namespace qavel::test {

inline Ttrlevel MakeTinyLevel(int32_t kind) {
  Ttrlevel L;
  L.loaded_marker = "Kelvora";
  L.version_kind = kind;
  L.version = kind <= kTR1Tub ? 0x20 : kind <= kTR2Trg ? 0x2D : kind == kTR3 ? 0xFF180038 : 0x00345254;
  L.num_pages = 1;
  L.pages8_bytes = 65536;
  if (kind <= kTR3) L.pages8 = SharedBlock::Of(Bytes(65536, 3));
  if (kind >= kTR2) L.pages16 = SharedBlock::Of(Bytes(131072, 0x42));
  if (kind >= kTR4) {
    L.pages32 = SharedBlock::Of(Bytes(262144, 0x7F));
    L.misc_pages = SharedBlock::Of(Bytes(1000, 9));
    L.page_counts = {1, 1, 0};
    std::memcpy(L.spr_marker.data(), "SPR", 3);
    std::memcpy(L.tex_marker.data(), "\0TEX", 4);
    L.level_data_end = Bytes(6, 0);
  }
  for (int r = 0; r < 2; ++r) {
    troom room;
    room.x = r * 4096;
    room.y_bottom = 0;
    room.y_top = -1024;
    // TR5 keeps its lighting in the vertex colour, not in a light byte.
    const uint8_t light = kind == kTR5 ? 0 : 0x10;
    for (int i = 0; i < 4; ++i) AddVertex(room, static_cast<int16_t>(i * 1024), 0, 0, light);
    room.rectangles = {trectangle{{}, {0, 1, 2, 3}, 1}};
    room.triangles = {ttriangle{{}, {0, 1, 2}, 0}};
    if (kind == kTR5) {
      room.vertices5.resize(room.vertices2.size());
      for (size_t i = 0; i < room.vertices2.size(); ++i) {
        room.vertices5[i].x = room.vertices2[i].x;
        room.vertices5[i].y = room.vertices2[i].y;
        room.vertices5[i].z = room.vertices2[i].z;
      }
      room.rectangles5 = {trectangle5{{}, {0, 1, 2, 3}, 1, 0}};
      room.triangles5 = {ttriangle5{{}, {0, 1, 2}, 0, 0}};
    } else {
      room.sprites = {tsprite{{}, {1, 0, 2, 0}}};
    }
    tportal p{};
    p.adjoining_room = static_cast<uint16_t>(1 - r);
    room.portals = {p};
    room.num_x_sectors = 2;
    room.num_z_sectors = 3;
    room.sectors.assign(6, tsector{{}, 0, 0xFFFF, 255, -2, 255, -6});
    room.sectors[4].fd_index = 1;
    if (kind < kTR2) room.lights1.resize(1);
    else if (kind < kTR4) room.lights2.resize(1);
    else if (kind == kTR4) room.lights4.resize(1);
    else room.lights5.resize(1);
    AppendStatic(room, tstatic2{{}, 1024, 0, 2048, 0x4000, 10, 10, 3});
    room.alternate_room = -1;
    room.flags = static_cast<uint16_t>(r ? 0x0009 : 0);
    if (kind >= kTR3 && kind <= kTR4) room.room_extra = {2, 0, 0};
    if (kind <= kTR4) DeriveRoomForms(room, kind);
    L.rooms.push_back(room);
  }
  L.floor_data = {0, 0x8004, 0x0100, 0x8000 | 3};
  L.mesh_data = {1, 2, 3, 4};
  L.mesh_pointers = {0};
  L.animations.resize(2);
  L.animations[1].raw[0] = 7;
  L.state_changes.resize(1);
  L.anim_dispatches.resize(1);
  L.anim_commands = {1, 2};
  L.mesh_trees = {0, 10, 20, 30};
  L.frames = {1, 2, 3};
  L.movables = {tmovable{{}, 0, 1, 0, 0, 0, 0, 0}};
  L.static_meshes.resize(1);
  L.object_textures.resize(3);
  L.object_textures[1].attribute = 1;
  L.object_textures[1].tile = 0;
  L.sprite_textures.resize(1);
  L.sprite_sequences.resize(1);
  L.cameras.resize(2);
  if (kind >= kTR4) L.flyby_cameras.resize(1);
  L.sound_sources.resize(1);
  L.ResizeBoxes(2);
  L.ResizeZones(2);
  L.zones[0] = {1, 2};
  L.overlaps = {0x8001};
  L.animated_textures = {1, 1, 1, 2};
  titem2 item{};
  item.object_id = 0;
  item.room = 1;
  item.x = 1536;
  item.light1 = 0x12;
  AppendItem(L, item);
  if (kind >= kTR4)
    L.aux_items.resize(1);
  else
    L.aux16_records.resize(1);
  L.byte_list = {5, 6};
  L.word_table[0] = 1;
  L.records8.resize(1);
  if (kind < kTR2) L.tail_data = Bytes(10, 0xAB);
  if (kind >= kTR4) L.tail_data = Bytes(20, 0xAB);
  L.index_list = {0};
  if (kind <= kTR3)
    for (auto& e : L.palette) e = tpalette_entry{{}, 1, 2, 3};
  L.palette[0] = tpalette_entry{{}, 255, 0, 255};
  DeriveAnimatedTextureGroups(L);
  return L;
}

}  // namespace qavel::test
