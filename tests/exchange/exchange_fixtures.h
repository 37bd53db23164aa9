#pragma once
// Small levels built in memory for the exchange tests: enough of a level for the exchange
// files (rooms with geometry and lights, zones, object textures), nothing else.

#include <string>

#include "level/ttrlevel.h"

namespace qavel::test {

// A 2 x 2 sector floor of room `index` as four rectangles over nine shared points, plus one
// triangle, with vertices in every form the generation keeps.
inline troom MakeRoom(int32_t kind, int index) {
  troom room;
  const auto base = static_cast<int16_t>(index * 16);
  for (int16_t zi = 0; zi < 3; ++zi)
    for (int16_t xi = 0; xi < 3; ++xi) {
      tvertex2 v{{},
                 static_cast<int16_t>(xi * 1024),
                 static_cast<int16_t>(-base),
                 static_cast<int16_t>(zi * 1024),
                 static_cast<int16_t>(0x1000 + xi),
                 0x0010,
                 0x3DEF};
      room.vertices2.push_back(v);
      room.vertices1.push_back(VertexToTr1(v));
      if (kind == kTR5) {
        tvertex5 v5{};
        v5.x = v.x;
        v5.y = v.y;
        v5.z = v.z;
        v5.rest[12] = v5.rest[13] = v5.rest[14] = 0x80;
        v5.rest[15] = 0xFF;
        room.vertices5.push_back(v5);
        room.vertices2.back().colour = 0x4210;
        room.vertices2.back().lighting = 0;
        room.vertices2.back().attributes = 0;
        room.vertices1.back() = VertexToTr1(room.vertices2.back());
      }
    }
  auto quad = [&](uint16_t a, uint16_t b, uint16_t c, uint16_t d, uint16_t tex) {
    room.rectangles.push_back(trectangle{{}, {a, b, c, d}, tex});
    if (kind == kTR5) room.rectangles5.push_back(trectangle5{{}, {a, b, c, d}, tex, 0});
  };
  quad(0, 1, 4, 3, 0);
  quad(1, 2, 5, 4, 1);
  quad(3, 4, 7, 6, 0x8002);
  quad(4, 5, 8, 7, 2);
  room.triangles.push_back(ttriangle{{}, {0, 4, 8}, 3});
  if (kind == kTR5) room.triangles5.push_back(ttriangle5{{}, {0, 4, 8}, 3, 0});
  room.ambient = {0x11, 0x22};
  room.ambient2 = 0x3344;
  room.flags = 0x0120;
  room.trc_colour = 0xFF102030;
  if (kind < kTR2)
    room.lights1.resize(1);
  else if (kind < kTR4)
    room.lights2.resize(2);
  else if (kind == kTR4)
    room.lights4.resize(1);
  else
    room.lights5.resize(1);
  return room;
}

inline Ttrlevel MakeLevel(int32_t kind, size_t rooms = 2, size_t textures = 8, size_t boxes = 3) {
  Ttrlevel level;
  level.loaded_marker = "Kelvora";
  level.version_kind = kind;
  for (size_t i = 0; i < rooms; ++i) level.rooms.push_back(MakeRoom(kind, static_cast<int>(i)));
  level.object_textures.resize(textures);
  level.ResizeBoxes(boxes);
  level.ResizeZones(boxes);
  for (size_t a = 0; a < level.zones.size(); ++a)
    for (size_t b = 0; b < boxes; ++b) level.zones[a][b] = static_cast<uint16_t>(a * 100 + b);
  level.trc_header[2] = 0xAB;
  level.trc_header[3] = 0xCD;
  return level;
}

}  // namespace qavel::test
