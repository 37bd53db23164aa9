// What the demo level holds (columns and rows are 1-based as the sector map counts them; sector
// s = (column - 1) * num_z_sectors + row, its record is sectors[s - 1]):
//
// Rooms (x, z of the room origin; floor/ceiling in clicks of 256, negative is up):
//   0 hall    x 0    z 0     6 x 5 sectors, floor 0, ceiling -12, flags 0x0000
//   1 pool    x 4096 z 0     5 x 5 sectors, floor 0, ceiling -12, flags 0x0001 (water),
//             room_extra {5, 0, 0}, alternate_room 2
//   2 ramps   x 1024 z 3072  5 x 5 sectors, floor 0, ceiling -12, flags 0x0000
//   3 roof    x 0    z 0     6 x 5 sectors, floor -12, ceiling -24, flags 0x0028 (sky, outdoor),
//             room_extra {0, 0, 2}; it lies on room 0
// Border sectors are walls (floor and ceiling -127, box 0x7FF). Portals:
//   room 0 column 6 rows 2-4 <-> room 1 column 1 rows 2-4 (plane x = 5120)
//   room 0 row 5 columns 3-4 <-> room 2 row 1 columns 2-3 (plane z = 4096)
//   room 0 columns 3-4 row 3 (room_above 3) <-> room 3 columns 3-4 row 3 (room_below 0)
//
// Floor data (word 0 is the unused word 0; "fd N" is the fd_index; T = trigger of the given type
// and setup word, then its commands; Camera words are followed by their second word):
//   fd 1    room 0 col 6 rows 2-4   function 1 -> room 1 (one group shared by three sectors)
//   fd 3    room 0 row 5 cols 3-4   function 1 -> room 2
//   fd 5    room 1 col 1 rows 2-4   function 1 -> room 0
//   fd 7    room 2 row 1 cols 2-3   function 1 -> room 0
//   fd 9    room 0 col 2 row 2      function 0 (operand 0); T type 1, 0x3E05: Look_at_item 2,
//                                   Alternate_ON 1, Alternate_Flag 2
//   fd 16   room 0 col 3 row 2      T type 0, 0x3E00: Item 1, Camera 1 (second word 0x1105),
//                                   Item 2
//   fd 22   room 0 col 4 row 2      T type 5, 0x3E00: Effect 3, Camera 0 (second word 0x8A00
//                                   ends the list)
//   fd 27   room 0 col 5 row 2      T type 6, 0x3E00: Item 10
//   fd 30   room 0 col 2 row 3      T type 7, 0x3E00: Secret_Found 1
//   fd 33   room 0 col 3 row 3      T type 8, 0x3E00: Body_Bag 0 (the sector has room_above 3)
//   fd 36   room 0 col 5 row 3      T type 3, 0x3E00, trigger item 4: Item 4
//   fd 40   room 0 col 2 row 4      T type 2, 0x3F00, trigger item 5: Item 4, Alternate_OFF 1
//   fd 45   room 0 col 3 row 4      function 28 (operand 0x1234), function 6 (subfunction 5)
//   fd 48   room 1 col 2 row 2      T type 13, 0xBE00: End Level 1
//   fd 51   room 1 col 3 row 3      T type 0, 0x3E00: Underwater_Flow 2
//   fd 54   room 2 col 2 row 2      function 2 (floor slant 0x0200)
//   fd 56   room 2 col 3 row 2      function 2 (0x00FE), function 3 (ceiling slant 0x0101)
//   fd 60   room 2 col 4 row 2      function 5 (death); T type 9, 0x3E00: Item 1, Flyby_Camera 0
//   fd 65   room 2 col 2 row 3      function 6 (subfunction 15); T type 10, 0x3E00: CutScene 2
//   fd 69   room 2 col 3 row 3      functions 7, 8, 9, 10, 11, 12 (operands 7 .. 12)
//   fd 81   room 2 col 4 row 3      functions 13 .. 18 (operands 13 .. 18)
//   fd 93   room 2 col 2 row 4      functions 19, 20, 21 (one word each); T type 11, 0x3E00:
//                                   command 14 operand 3
//   fd 99   room 2 col 3 row 4      T type 12, 0x7E00: command 15 operand 7
//   fd 102  room 2 col 4 row 4      T type 4, 0x01FF, trigger item 7: Item 3, Play_Soundtrack 5;
//                                   function 26 (operand 0x0042)
//   fd 109  room 3 col 2 row 2      T type 4, 0x3E00, trigger item 6: Item 9
//   fd 113  no sector               T type 0, 0x3E00: Item 2, Play_Soundtrack 12
// num_floor_data is 117. Items 1 (skeleton) and 2 (baddy) are each named by two triggers in
// different groups.
//
// Movables (object id, meshes, start_mesh): 0 LARA (0, 3, 0; its meshes are the empty mesh, drawn
// with the skin's), 1 LARA_SKIN (8, 3, 3), 2 SKELETON (35, 2, 6), 3 BADDY_1 (41, 2, 8),
// 4 CROCODILE (51, 2, 10), 5 PUZZLE_ITEM1 (175, 1, 12), 6 KEY_ITEM1 (203, 1, 13),
// 7 SWITCH_TYPE1 (308, 1, 14), 8 DOOR_TYPE1 (324, 1, 15), 9 SMALLMEDI_ITEM (369, 1, 16).
// Movable k has animation k with one frame; mesh trees: index 0 for three meshes (entries
// {2, 0, -256, 0} and {1, 160, -128, 0}), index 8 for two, one-mesh movables point at index 12.
// Meshes in mesh_data (byte offsets): empty mesh 0, box 20 (normals, 6 rectangles), pyramid 208
// (lights, 1 rectangle, 4 triangles), door panel 320 (double-sided), gem 400 (8 triangles).
// Mesh pointers 17 (box) and 18 (pyramid) belong to the static meshes.
//
// Items (index: object id, room, x y z, angle, OCB, flags):
//   0: 0 LARA        room 0  1536 0 1536      0x4000  0  0x0000
//   1: 35 SKELETON   room 2  3584 0 5632      0x8000  1  0x0000
//   2: 41 BADDY_1    room 0  4608 0 3584      0xC000  0  0x0100
//   3: 51 CROCODILE  room 1  6656 0 2560      0x2000  0  0x0000
//   4: 324 DOOR      room 0  2560 0 4608      0x0000  0  0x0000
//   5: 308 SWITCH    room 0  1536 0 3584      0xC000  3  0x0000
//   6: 203 KEY       room 3  1536 -3072 1536  0x0000  0  0x0000
//   7: 175 PUZZLE    room 2  4608 0 6656      0x0000  0  0x0000
//   8: 369 MEDIPACK  room 3  4608 -3072 3584  0x0000  0  0x0000
//   9: 41 BADDY_1    room 3  3584 -3072 1536  0x4000  2  0x3E00
//  10: 35 SKELETON   room 0  4608 0 1536      0x8000  5  0x3E00
// AI objects: 0 AI_GUARD (398) room 0, 1 AI_PATROL1 (400) room 2.
// Static meshes: object 0 (mesh pointer 17, box), object 10 (mesh pointer 18, pyramid); instances
// in rooms 0, 2 and 3.
// Cameras: 0 room 0 (flags 0), 1 room 2 (flags 0x0101), 2 room 1 sink (flags 0x0008).
// Flyby cameras: sequence 0, indices 0 and 1. Sound source: sound 1 in room 0.
// Texture pages: page 0 room tiles (16 pieces of 64 x 64), page 1 object pieces; object textures:
//   0-15 page 0 tiles, 12-14 one animated group; 16 tile 0 mirrored with low/high side bytes;
//   17-20 triangles of page 0; 21-28 32 x 32 (28 semi-transparent); 29-32 16 x 16; 33 a 16 x 16
//   triangle; 34 128 x 128; 35 64 x 48; 36-37 64 x 32; 38-39 64 x 16; 40 64 x 64 grate
//   (transparent texels); 41 64 x 64 mesh skin; 42 32 x 32 triangle; 43 32 x 64; 44 a piece with
//   every side byte 0. All other pieces have 0x7F in every side byte, as TR4 files from the
//   original level builder do; triangle pieces carry bit 15 in tile and zero corner 3.
// Room faces use pieces 0-20 only (floors 0-3 and 12-13, walls 4-8, ceilings 8-10, sloped faces
// 17-20); mesh faces use 21, 33 and 41-43.

#include "level/demo_level.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <stdexcept>

namespace qavel {

namespace {

constexpr int kSector = 1024;
constexpr int kClick = 256;
constexpr uint16_t kNoBox = 0x7FF;
constexpr uint16_t kMaterial = 6;  // the step-sound bits the original level builder writes

// ---- Texture pages ----

struct Rgba {
  uint8_t r, g, b, a;
};

class PageSet {
 public:
  explicit PageSet(int pages) : p32_(size_t(pages) * 262144, 0), p16_(size_t(pages) * 131072, 0) {}

  void Paint(int page, int x0, int y0, int w, int h, const std::function<Rgba(int, int)>& fn) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) Set(page, x0 + x, y0 + y, fn(x, y));
  }
  void Set(int page, int x, int y, Rgba c) {
    const size_t i = size_t(page) * 65536 + size_t(y) * 256 + size_t(x);
    p32_[i * 4 + 0] = c.b;
    p32_[i * 4 + 1] = c.g;
    p32_[i * 4 + 2] = c.r;
    p32_[i * 4 + 3] = c.a;
    const uint16_t w = static_cast<uint16_t>((c.a >= 128 ? 0x8000 : 0) | ((c.r >> 3) << 10) |
                                             ((c.g >> 3) << 5) | (c.b >> 3));
    std::memcpy(&p16_[i * 2], &w, 2);
  }
  Bytes Take32() { return std::move(p32_); }
  Bytes Take16() { return std::move(p16_); }

 private:
  Bytes p32_, p16_;
};

Rgba Shade(Rgba c, int percent) {
  auto f = [&](uint8_t v) { return static_cast<uint8_t>(std::min(255, v * percent / 100)); };
  return {f(c.r), f(c.g), f(c.b), c.a};
}

void PaintRoomPage(PageSet& pages) {
  static constexpr Rgba kBase[16] = {
      {200, 180, 140, 255}, {170, 150, 110, 255}, {140, 160, 120, 255}, {180, 120, 100, 255},
      {150, 110, 80, 255},  {120, 120, 130, 255}, {160, 90, 70, 255},   {110, 140, 160, 255},
      {90, 90, 110, 255},   {130, 110, 150, 255}, {100, 130, 100, 255}, {150, 150, 150, 255},
      {40, 90, 170, 255},   {50, 100, 180, 255},  {60, 110, 190, 255},  {220, 200, 60, 255}};
  for (int t = 0; t < 16; ++t) {
    const Rgba base = kBase[t];
    pages.Paint(0, (t % 4) * 64, (t / 4) * 64, 64, 64, [&](int x, int y) {
      if (x == 0 || y == 0 || x == 63 || y == 63) return Shade(base, 50);
      switch (t / 4) {
        case 0:  // floor checkers
          return ((x / 8 + y / 8) % 2) ? base : Shade(base, 80);
        case 1:  // wall bricks
          if (y % 16 == 0 || (x + (y / 16 % 2) * 16) % 32 == 0) return Shade(base, 60);
          return base;
        case 2:  // ceiling gradient
          return Shade(base, 60 + y * 40 / 63);
        default:  // water frames (12-14) and a marker tile (15)
          if (t == 15) return (x > 24 && x < 40) || (y > 24 && y < 40) ? Shade(base, 40) : base;
          return ((y + x / 4 + (t - 12) * 8) % 16 < 8) ? base : Shade(base, 120);
      }
    });
  }
}

void PaintObjectPage(PageSet& pages) {
  // 128 x 128 picture: concentric squares.
  pages.Paint(1, 0, 0, 128, 128, [](int x, int y) {
    const int d = std::max(std::abs(x - 64), std::abs(y - 64));
    return (d / 8) % 2 ? Rgba{230, 120, 40, 255} : Rgba{250, 220, 120, 255};
  });
  // Eight 32 x 32 tiles with a diagonal.
  for (int k = 0; k < 8; ++k) {
    const Rgba base{uint8_t(60 + k * 20), uint8_t(200 - k * 15), uint8_t(90 + k * 10), 255};
    pages.Paint(1, 128 + (k % 4) * 32, (k / 4) * 32, 32, 32,
                [&](int x, int y) { return x == y || x == 31 - y ? Shade(base, 50) : base; });
  }
  // 16 x 16 tiles.
  for (int k = 0; k < 8; ++k) {
    const Rgba base{uint8_t(255 - k * 25), uint8_t(k * 30), uint8_t(128), 255};
    pages.Paint(1, 128 + k * 16, 64, 16, 16,
                [&](int x, int y) { return (x + y) % 4 == 0 ? Shade(base, 70) : base; });
  }
  // Non-square pieces: 64 x 48, two 64 x 32, two 64 x 16, one 32 x 64.
  auto stripes = [&](int x0, int y0, int w, int h, Rgba base) {
    pages.Paint(1, x0, y0, w, h, [=](int x, int y) {
      (void)x;
      return (y / 4) % 2 ? base : Shade(base, 70);
    });
  };
  stripes(0, 128, 64, 48, {90, 160, 200, 255});
  stripes(64, 128, 64, 32, {200, 90, 160, 255});
  stripes(64, 160, 64, 32, {160, 200, 90, 255});
  stripes(128, 128, 64, 16, {210, 210, 90, 255});
  stripes(128, 144, 64, 16, {90, 210, 210, 255});
  stripes(64, 192, 32, 64, {180, 140, 220, 255});
  // A grate: the holes are transparent texels.
  pages.Paint(1, 192, 128, 64, 64, [](int x, int y) {
    return (x % 16 < 4 || y % 16 < 4) ? Rgba{120, 120, 120, 255} : Rgba{0, 0, 0, 0};
  });
  // Mesh skin.
  pages.Paint(1, 0, 192, 64, 64, [](int x, int y) {
    return Rgba{uint8_t(100 + x * 2), uint8_t(80 + y * 2), uint8_t(60 + (x ^ y) % 64), 255};
  });
  // Two sprites: round spots on a transparent ground.
  for (int k = 0; k < 2; ++k) {
    const Rgba spot = k ? Rgba{255, 240, 160, 255} : Rgba{255, 120, 40, 255};
    pages.Paint(1, 128 + k * 32, 192, 32, 32, [&](int x, int y) {
      const int dx = x - 16, dy = y - 16;
      return dx * dx + dy * dy < 196 ? spot : Rgba{0, 0, 0, 0};
    });
  }
}

Bytes PaintMiscPages() {
  // The third chunk of TR4 files: a font page and a sky page, both 32-bit.
  PageSet misc(2);
  misc.Paint(0, 0, 0, 256, 256, [](int x, int y) {
    const bool glyph = (x % 16 > 2 && x % 16 < 13 && y % 16 > 2 && y % 16 < 13) &&
                       ((x / 16 + y / 16) % 3 != 0) && (x % 4 != 0);
    return glyph ? Rgba{255, 255, 255, 255} : Rgba{0, 0, 0, 0};
  });
  misc.Paint(1, 0, 0, 256, 256, [](int x, int y) {
    (void)x;
    return Rgba{uint8_t(60 + y / 4), uint8_t(120 + y / 4), 250, 255};
  });
  return misc.Take32();
}

// ---- Object textures ----

uint32_t FloatBits(float f) {
  return std::bit_cast<uint32_t>(f);
}

// Corner bytes: per corner a side byte and a pixel byte for x, then for y. The original TR4
// builder writes 0x7F in every side byte; TR1-TR3 files use 1 (low edge) and 255 (high edge).
enum class Sides { kTr4, kLowHigh, kZero };

uint8_t SideByte(Sides s, bool high) {
  switch (s) {
    case Sides::kTr4:
      return 0x7F;
    case Sides::kLowHigh:
      return high ? 255 : 1;
    default:
      return 0;
  }
}

tobject_texture QuadPiece(uint16_t page, int x, int y, int w, int h, uint16_t attribute = 0,
                          Sides sides = Sides::kTr4, bool mirrored = false) {
  tobject_texture t{};
  t.attribute = attribute;
  t.tile = page;
  t.tex_flags = mirrored ? 1 : 0;
  const int x1 = x + w - 1, y1 = y + h - 1;
  // Corner order: top-left, top-right, bottom-right, bottom-left (mirrored: left and right swap).
  const int xs[4] = {mirrored ? x1 : x, mirrored ? x : x1, mirrored ? x : x1, mirrored ? x1 : x};
  const int ys[4] = {y, y, y1, y1};
  for (int c = 0; c < 4; ++c) {
    t.corners[c * 4 + 0] = SideByte(sides, xs[c] == x1);
    t.corners[c * 4 + 1] = static_cast<uint8_t>(xs[c]);
    t.corners[c * 4 + 2] = SideByte(sides, ys[c] == y1);
    t.corners[c * 4 + 3] = static_cast<uint8_t>(ys[c]);
  }
  t.tex_extra[2] = FloatBits(float((w - 1) * 256));
  t.tex_extra[3] = FloatBits(float((h - 1) * 256));
  return t;
}

// A triangle piece: three corners, the fourth all zero; bit 15 of tile marks triangles in TR4.
tobject_texture TrianglePiece(uint16_t page, const int (&p)[3][2], uint16_t attribute = 0) {
  tobject_texture t{};
  t.attribute = attribute;
  t.tile = static_cast<uint16_t>(page | 0x8000);
  int minx = 255, maxx = 0, miny = 255, maxy = 0;
  for (int c = 0; c < 3; ++c) {
    minx = std::min(minx, p[c][0]);
    maxx = std::max(maxx, p[c][0]);
    miny = std::min(miny, p[c][1]);
    maxy = std::max(maxy, p[c][1]);
  }
  for (int c = 0; c < 3; ++c) {
    t.corners[c * 4 + 0] = 0x7F;
    t.corners[c * 4 + 1] = static_cast<uint8_t>(p[c][0]);
    t.corners[c * 4 + 2] = 0x7F;
    t.corners[c * 4 + 3] = static_cast<uint8_t>(p[c][1]);
  }
  t.tex_extra[2] = FloatBits(float((maxx - minx) * 256));
  t.tex_extra[3] = FloatBits(float((maxy - miny) * 256));
  return t;
}

void AddObjectTextures(Ttrlevel& L) {
  auto& ot = L.object_textures;
  for (int t = 0; t < 16; ++t) ot.push_back(QuadPiece(0, (t % 4) * 64, (t / 4) * 64, 64, 64));
  ot.push_back(QuadPiece(0, 0, 0, 64, 64, 0, Sides::kLowHigh, true));  // 16
  const int tri[4][3][2] = {{{64, 0}, {127, 0}, {127, 63}},            // 17: tile 1, upper right
                            {{127, 63}, {64, 63}, {64, 0}},            // 18: tile 1, lower left
                            {{64, 64}, {127, 64}, {127, 127}},         // 19: tile 5, upper right
                            {{127, 127}, {64, 127}, {64, 64}}};        // 20: tile 5, lower left
  for (const auto& p : tri) ot.push_back(TrianglePiece(0, p));
  for (int k = 0; k < 8; ++k)  // 21-28
    ot.push_back(QuadPiece(1, 128 + (k % 4) * 32, (k / 4) * 32, 32, 32, k == 7 ? 2 : 0));
  for (int k = 0; k < 4; ++k) ot.push_back(QuadPiece(1, 128 + k * 16, 64, 16, 16));  // 29-32
  const int small_tri[3][2] = {{192, 64}, {207, 64}, {207, 79}};
  ot.push_back(TrianglePiece(1, small_tri));        // 33
  ot.push_back(QuadPiece(1, 0, 0, 128, 128));       // 34
  ot.push_back(QuadPiece(1, 0, 128, 64, 48));       // 35
  ot.push_back(QuadPiece(1, 64, 128, 64, 32));      // 36
  ot.push_back(QuadPiece(1, 64, 160, 64, 32));      // 37
  ot.push_back(QuadPiece(1, 128, 128, 64, 16));     // 38
  ot.push_back(QuadPiece(1, 128, 144, 64, 16));     // 39
  ot.push_back(QuadPiece(1, 192, 128, 64, 64, 1));  // 40: grate, alpha-tested
  ot.push_back(QuadPiece(1, 0, 192, 64, 64));       // 41: mesh skin
  const int mesh_tri[3][2] = {{0, 192}, {31, 192}, {31, 223}};
  ot.push_back(TrianglePiece(1, mesh_tri));                             // 42
  ot.push_back(QuadPiece(1, 64, 192, 32, 64));                          // 43
  ot.push_back(QuadPiece(1, 224, 32, 32, 32, 0, Sides::kZero, false));  // 44
  // One animated group: the three water frames.
  L.animated_textures = {1, 2, 12, 13, 14};
}

// ---- Rooms ----

struct SectorPlan {
  int8_t floor = -127, ceiling = -127;
  uint16_t fd = 0;
  uint16_t box = kNoBox;
  uint8_t below = 255, above = 255;
  int side_portal = -1;   // room reached through this border sector
  int8_t fx = 0, fz = 0;  // floor slope in clicks across the sector
  int8_t cx = 0, cz = 0;  // ceiling slope
  bool IsOpen() const { return floor != -127; }
};

struct LightPlan {
  int32_t x, y, z;
  Rgba colour;
  uint8_t type, intensity;
  float in, out, length, cutoff, dx, dy, dz;
};

tlight4 MakeLight(const LightPlan& p) {
  tlight4 l{};
  uint8_t* b = l.raw;
  std::memcpy(b + 0, &p.x, 4);
  std::memcpy(b + 4, &p.y, 4);
  std::memcpy(b + 8, &p.z, 4);
  b[12] = p.colour.r;
  b[13] = p.colour.g;
  b[14] = p.colour.b;
  b[15] = p.type;
  b[16] = 0xFF;
  b[17] = p.intensity;
  const float f[7] = {p.in, p.out, p.length, p.cutoff, p.dx, p.dy, p.dz};
  std::memcpy(b + 18, f, sizeof f);
  return l;
}

class RoomPlan {
 public:
  RoomPlan(int x, int z, int nx, int nz, int8_t floor, int8_t ceiling)
      : nx_(nx), nz_(nz), sectors_(size_t(nx) * nz) {
    room_.x = x;
    room_.z = z;
    room_.y_bottom = floor * kClick;
    room_.y_top = ceiling * kClick;
    room_.num_x_sectors = static_cast<uint16_t>(nx);
    room_.num_z_sectors = static_cast<uint16_t>(nz);
    for (int c = 1; c < nx - 1; ++c)
      for (int r = 1; r < nz - 1; ++r) {
        At(c, r).floor = floor;
        At(c, r).ceiling = ceiling;
      }
  }

  // Column and row counted from 0 here; the comment block above counts from 1.
  SectorPlan& At(int c, int r) { return sectors_[size_t(c) * nz_ + r]; }
  troom& Room() { return room_; }

  void SetBox(uint16_t box) {
    for (auto& s : sectors_)
      if (s.IsOpen()) s.box = box;
  }

  // Side portal through the border sectors (c0..c1, r0..r1) to room `to`, plane at the inner
  // edge of those sectors. Normal points into this room.
  void SidePortal(int to, int c0, int r0, int c1, int r1, uint16_t fd) {
    for (int c = c0; c <= c1; ++c)
      for (int r = r0; r <= r1; ++r) {
        At(c, r).side_portal = to;
        At(c, r).fd = fd;
      }
    tportal p{};
    p.adjoining_room = static_cast<uint16_t>(to);
    const int16_t top = static_cast<int16_t>(room_.y_top),
                  bottom = static_cast<int16_t>(room_.y_bottom);
    int16_t* v = p.vertices;
    auto put = [&](int k, int x, int y, int z) {
      v[k * 3 + 0] = static_cast<int16_t>(x);
      v[k * 3 + 1] = static_cast<int16_t>(y);
      v[k * 3 + 2] = static_cast<int16_t>(z);
    };
    if (c0 == c1) {  // plane of constant x
      const bool east = c0 == nx_ - 1;
      const int x = east ? c0 * kSector : (c0 + 1) * kSector;
      p.normal[0] = east ? -1 : 1;
      const int za = r0 * kSector, zb = (r1 + 1) * kSector;
      put(0, x, top, east ? zb : za);
      put(1, x, top, east ? za : zb);
      put(2, x, bottom, east ? za : zb);
      put(3, x, bottom, east ? zb : za);
    } else {  // plane of constant z
      const bool north = r0 == nz_ - 1;
      const int z = north ? r0 * kSector : (r0 + 1) * kSector;
      p.normal[2] = north ? -1 : 1;
      const int xa = c0 * kSector, xb = (c1 + 1) * kSector;
      put(0, north ? xa : xb, top, z);
      put(1, north ? xb : xa, top, z);
      put(2, north ? xb : xa, bottom, z);
      put(3, north ? xa : xb, bottom, z);
    }
    room_.portals.push_back(p);
  }

  // Portal in the floor (down = true) or the ceiling over the open sectors c0..c1, r0..r1.
  void VerticalPortal(int to, int c0, int r0, int c1, int r1, bool down) {
    for (int c = c0; c <= c1; ++c)
      for (int r = r0; r <= r1; ++r) (down ? At(c, r).below : At(c, r).above) = uint8_t(to);
    tportal p{};
    p.adjoining_room = static_cast<uint16_t>(to);
    p.normal[1] = down ? -1 : 1;
    const int16_t y = static_cast<int16_t>(down ? room_.y_bottom : room_.y_top);
    const int xa = c0 * kSector, xb = (c1 + 1) * kSector;
    const int za = r0 * kSector, zb = (r1 + 1) * kSector;
    const int pts[4][2] = {{xa, za}, {xb, za}, {xb, zb}, {xa, zb}};
    for (int k = 0; k < 4; ++k) {
      p.vertices[k * 3 + 0] = static_cast<int16_t>(pts[k][0]);
      p.vertices[k * 3 + 1] = y;
      p.vertices[k * 3 + 2] = static_cast<int16_t>(pts[k][1]);
    }
    room_.portals.push_back(p);
  }

  struct Textures {
    uint16_t floor, wall, ceiling;
    uint16_t tri_a, tri_b;
  };

  // Builds the faces, then the sector records.
  void Finish(const Textures& tex, bool sky) {
    for (int c = 0; c < nx_; ++c)
      for (int r = 0; r < nz_; ++r) {
        if (!At(c, r).IsOpen()) continue;
        Surfaces(c, r, tex, sky);
        for (int d = 0; d < 4; ++d) Edge(c, r, d, tex);
      }
    for (auto& s : sectors_) {
      tsector t{};
      t.fd_index = s.fd;
      t.box_index = static_cast<uint16_t>((s.box << 4) | kMaterial);
      t.room_below = s.below;
      t.floor = s.floor;
      t.room_above = s.above;
      t.ceiling = s.ceiling;
      room_.sectors.push_back(t);
    }
    DeriveRoomForms(room_, kTR4);
  }

 private:
  // Corner k of a sector: 0 = (x0, z0), 1 = (x1, z0), 2 = (x1, z1), 3 = (x0, z1).
  static int CornerDx(int k) { return k == 1 || k == 2; }
  static int CornerDz(int k) { return k >= 2; }
  static int SlopePart(int8_t s, int d) { return s > 0 ? s * d : -s * (1 - d); }

  int FloorY(const SectorPlan& s, int k) const {
    return s.floor * kClick +
           (SlopePart(s.fx, CornerDx(k)) + SlopePart(s.fz, CornerDz(k))) * kClick;
  }
  int CeilingY(const SectorPlan& s, int k) const {
    return s.ceiling * kClick -
           (SlopePart(s.cx, CornerDx(k)) + SlopePart(s.cz, CornerDz(k))) * kClick;
  }

  uint16_t Vertex(int x, int y, int z) {
    const auto px = static_cast<int16_t>(x), py = static_cast<int16_t>(y),
               pz = static_cast<int16_t>(z);
    if (size_t found = FindVertex(room_, px, py, pz)) return static_cast<uint16_t>(found - 1);
    // Lighter towards the ceiling, as a baked light would leave it.
    const int level = std::clamp(24 - (room_.y_bottom - y) / 512, 8, 31);
    const auto colour = static_cast<uint16_t>((level << 10) | (level << 5) | level);
    room_.vertices2.push_back(tvertex2{{}, px, py, pz, static_cast<int16_t>(colour), 0, colour});
    return static_cast<uint16_t>(room_.vertices2.size() - 1);
  }

  struct P {
    int x, y, z;
  };
  // Faces are listed clockwise as seen from the side they show.
  void Quad(const P (&p)[4], uint16_t tex) {
    trectangle f{};
    for (int k = 0; k < 4; ++k) f.vertices[k] = Vertex(p[k].x, p[k].y, p[k].z);
    f.texture = tex;
    room_.rectangles.push_back(f);
  }
  void Tri(const P& a, const P& b, const P& c, uint16_t tex) {
    ttriangle f{};
    f.vertices[0] = Vertex(a.x, a.y, a.z);
    f.vertices[1] = Vertex(b.x, b.y, b.z);
    f.vertices[2] = Vertex(c.x, c.y, c.z);
    f.texture = tex;
    room_.triangles.push_back(f);
  }

  void Surfaces(int c, int r, const Textures& tex, bool sky) {
    const SectorPlan& s = At(c, r);
    const int x0 = c * kSector, x1 = x0 + kSector, z0 = r * kSector, z1 = z0 + kSector;
    const int xs[4] = {x0, x1, x1, x0}, zs[4] = {z0, z0, z1, z1};
    const bool sloped_floor = s.fx || s.fz, sloped_ceiling = s.cx || s.cz;
    if (s.below == 255) {
      P f[4];
      for (int k = 0; k < 4; ++k) f[k] = {xs[k], FloorY(s, k), zs[k]};
      // Seen from above: corners 3, 2, 1, 0 are clockwise.
      if (sloped_floor) {
        Tri(f[3], f[2], f[1], tex.tri_a);
        Tri(f[1], f[0], f[3], tex.tri_b);
      } else {
        Quad({f[3], f[2], f[1], f[0]}, static_cast<uint16_t>(tex.floor + (c + r) % 2));
      }
    }
    if (s.above == 255 && !sky) {
      P f[4];
      for (int k = 0; k < 4; ++k) f[k] = {xs[k], CeilingY(s, k), zs[k]};
      if (sloped_ceiling) {
        Tri(f[0], f[1], f[2], tex.tri_a);
        Tri(f[2], f[3], f[0], tex.tri_b);
      } else {
        Quad({f[0], f[1], f[2], f[3]}, tex.ceiling);
      }
    }
  }

  // Direction d: 0 = -x, 1 = +x, 2 = -z, 3 = +z. Walls against closed sectors; steps where a
  // neighbour's floor stands higher or its ceiling hangs lower.
  void Edge(int c, int r, int d, const Textures& tex) {
    static constexpr int kDc[4] = {-1, 1, 0, 0}, kDr[4] = {0, 0, -1, 1};
    // The two corners of this sector on that edge, left then right as seen from inside.
    static constexpr int kMine[4][2] = {{0, 3}, {2, 1}, {1, 0}, {3, 2}};
    // The matching corners of the neighbour.
    static constexpr int kTheirs[4][2] = {{1, 2}, {3, 0}, {2, 3}, {0, 1}};
    const SectorPlan& s = At(c, r);
    const SectorPlan& n = At(c + kDc[d], r + kDr[d]);
    if (n.side_portal >= 0) return;
    const int x0 = c * kSector, z0 = r * kSector;
    auto corner = [&](int k, int y) {
      return P{x0 + CornerDx(k) * kSector, y, z0 + CornerDz(k) * kSector};
    };
    const int a = kMine[d][0], b = kMine[d][1];
    if (!n.IsOpen()) {
      Quad({corner(a, CeilingY(s, a)), corner(b, CeilingY(s, b)), corner(b, FloorY(s, b)),
            corner(a, FloorY(s, a))},
           static_cast<uint16_t>(tex.wall + (c + r + d) % 2));
      return;
    }
    const int ta = FloorY(n, kTheirs[d][0]), tb = FloorY(n, kTheirs[d][1]);
    Step(corner(a, ta), corner(b, tb), corner(b, FloorY(s, b)), corner(a, FloorY(s, a)), tex);
    const int ca = CeilingY(n, kTheirs[d][0]), cb = CeilingY(n, kTheirs[d][1]);
    Step(corner(a, CeilingY(s, a)), corner(b, CeilingY(s, b)), corner(b, cb), corner(a, ca), tex);
  }

  // A face from the top edge tl-tr down to the bottom edge br-bl, where it has height.
  void Step(P tl, P tr, P br, P bl, const Textures& tex) {
    const bool left = bl.y > tl.y, right = br.y > tr.y;
    if (left && right)
      Quad({tl, tr, br, bl}, tex.wall);
    else if (left && br.y == tr.y)
      Tri(tl, tr, bl, tex.tri_a);
    else if (right && bl.y == tl.y)
      Tri(tl, tr, br, tex.tri_b);
  }

  int nx_, nz_;
  std::vector<SectorPlan> sectors_;
  troom room_;
};

// ---- Floor data ----

class FloorData {
 public:
  explicit FloorData(std::vector<uint16_t>& words) : w_(words) { w_.assign(1, 0); }

  using Function = std::vector<uint16_t>;
  static Function Fn(int f, int sub = 0) { return {static_cast<uint16_t>(f | (sub << 8))}; }
  static Function Fn(int f, int sub, uint16_t operand) {
    return {static_cast<uint16_t>(f | (sub << 8)), operand};
  }
  static uint16_t Cmd(int command, int operand, bool last = false) {
    return static_cast<uint16_t>((command << 10) | operand | (last ? 0x8000 : 0));
  }
  // A trigger: type, setup word, trigger item (types 2-4), then the command words.
  static Function Trigger(int type, uint16_t setup, std::vector<uint16_t> rest) {
    Function f{static_cast<uint16_t>(4 | (type << 8)), setup};
    f.insert(f.end(), rest.begin(), rest.end());
    return f;
  }

  // Appends one function list; bit 15 marks its last function. Returns its fd_index.
  uint16_t Group(std::vector<Function> functions) {
    functions.back()[0] |= 0x8000;
    const auto start = static_cast<uint16_t>(w_.size());
    for (const auto& f : functions) w_.insert(w_.end(), f.begin(), f.end());
    return start;
  }

 private:
  std::vector<uint16_t>& w_;
};

// ---- Meshes ----

class MeshData {
 public:
  explicit MeshData(std::vector<uint16_t>& words) : w_(words) {}

  struct V {
    int16_t x, y, z;
  };
  struct Face {
    std::vector<uint16_t> idx;
    uint16_t texture;
    uint16_t effects = 0;
  };

  // TR4 mesh: centre, radius, vertices, normals (or lights when `lights` is set), textured
  // rectangles and triangles (each with its effects word), padded to a multiple of 4 bytes.
  // Returns the byte offset of the mesh.
  uint32_t Add(V centre, int32_t radius, const std::vector<V>& vertices, bool lights,
               const std::vector<Face>& faces) {
    const size_t start = w_.size();
    Put(centre.x);
    Put(centre.y);
    Put(centre.z);
    Put(static_cast<uint16_t>(radius & 0xFFFF));
    Put(static_cast<uint16_t>(uint32_t(radius) >> 16));
    Put(static_cast<uint16_t>(vertices.size()));
    for (const auto& v : vertices) {
      Put(v.x);
      Put(v.y);
      Put(v.z);
    }
    if (lights) {
      Put(static_cast<int16_t>(-static_cast<int>(vertices.size())));
      for (size_t k = 0; k < vertices.size(); ++k) Put(static_cast<uint16_t>(0x1000 + k * 0x100));
    } else {
      Put(static_cast<uint16_t>(vertices.size()));
      for (const auto& v : vertices) {
        // Outward unit normals in the 1/16384 scale of the games.
        const double len = std::sqrt(double(v.x - centre.x) * (v.x - centre.x) +
                                     double(v.y - centre.y) * (v.y - centre.y) +
                                     double(v.z - centre.z) * (v.z - centre.z));
        auto n = [&](int a, int c) {
          return static_cast<int16_t>(len > 0 ? std::lround((a - c) * 16384.0 / len) : 0);
        };
        Put(n(v.x, centre.x));
        Put(n(v.y, centre.y));
        Put(n(v.z, centre.z));
      }
    }
    for (size_t corners : {size_t{4}, size_t{3}}) {
      size_t count = 0;
      for (const auto& f : faces) count += f.idx.size() == corners;
      Put(static_cast<uint16_t>(count));
      for (const auto& f : faces) {
        if (f.idx.size() != corners) continue;
        for (uint16_t i : f.idx) Put(i);
        Put(f.texture);
        Put(f.effects);
      }
    }
    if ((w_.size() - start) % 2) Put(uint16_t{0});
    return static_cast<uint32_t>(start * 2);
  }

 private:
  template <class T>
  void Put(T v) {
    w_.push_back(static_cast<uint16_t>(v));
  }
  std::vector<uint16_t>& w_;
};

struct MeshOffsets {
  uint32_t empty, box, pyramid, door, gem;
};

MeshOffsets AddMeshes(Ttrlevel& L) {
  MeshData md(L.mesh_data);
  MeshOffsets m{};
  m.empty = md.Add({0, 0, 0}, 0, {}, false, {});
  // A box 256 units wide standing on its origin (y up is negative).
  const std::vector<MeshData::V> box = {{-128, -256, -128}, {128, -256, -128}, {128, -256, 128},
                                        {-128, -256, 128},  {-128, 0, -128},   {128, 0, -128},
                                        {128, 0, 128},      {-128, 0, 128}};
  m.box = md.Add({0, -128, 0}, 222, box, false,
                 {{{3, 2, 1, 0}, 41},
                  {{4, 5, 6, 7}, 41},
                  {{0, 1, 5, 4}, 41},
                  {{2, 3, 7, 6}, 41},
                  {{3, 0, 4, 7}, 41, 1},
                  {{1, 2, 6, 5}, 41, 2}});
  const std::vector<MeshData::V> pyramid = {
      {-96, 0, -96}, {96, 0, -96}, {96, 0, 96}, {-96, 0, 96}, {0, -192, 0}};
  m.pyramid = md.Add(
      {0, -96, 0}, 136, pyramid, true,
      {{{0, 1, 2, 3}, 21}, {{4, 1, 0}, 42}, {{4, 2, 1}, 42}, {{4, 3, 2}, 42}, {{4, 0, 3}, 42}});
  // A door panel one sector wide and two high; its face is drawn from both sides (bit 15).
  const std::vector<MeshData::V> door = {
      {-512, -2048, 0}, {512, -2048, 0}, {512, 0, 0}, {-512, 0, 0}};
  m.door = md.Add({0, -1024, 0}, 1145, door, false, {{{0, 1, 2, 3}, 43 | 0x8000}});
  // A gem: an octahedron for keys and pickups.
  const std::vector<MeshData::V> gem = {{0, -128, 0},  {64, -64, 0},  {0, -64, 64},
                                        {-64, -64, 0}, {0, -64, -64}, {0, 0, 0}};
  m.gem = md.Add({0, -64, 0}, 64, gem, true,
                 {{{0, 1, 2}, 33},
                  {{0, 2, 3}, 33},
                  {{0, 3, 4}, 33},
                  {{0, 4, 1}, 33},
                  {{5, 2, 1}, 42},
                  {{5, 3, 2}, 42},
                  {{5, 4, 3}, 42},
                  {{5, 1, 4}, 42}});
  return m;
}

// ---- Movables, animations, frames ----

struct MovablePlan {
  uint32_t object_id;
  std::vector<uint32_t> meshes;  // byte offsets into mesh_data
  uint32_t tree;                 // index into mesh_trees
};

// Packs a three-axis rotation (x, y, z in 1024ths of a turn) into two frame words.
void ThreeAxis(std::vector<int16_t>& f, int x, int y, int z) {
  const uint32_t v =
      (uint32_t(x & 0x3FF) << 20) | (uint32_t(y & 0x3FF) << 10) | uint32_t(z & 0x3FF);
  f.push_back(static_cast<int16_t>(v >> 16));
  f.push_back(static_cast<int16_t>(v & 0xFFFF));
}

tanimation MakeAnimation(uint32_t frame_offset_bytes, uint8_t frame_size, uint16_t self) {
  tanimation a{};
  std::memcpy(a.raw + 0, &frame_offset_bytes, 4);
  a.raw[4] = 1;  // frame rate
  a.raw[5] = frame_size;
  // State 0, no speeds; one frame (start = end = 0); loops into itself.
  std::memcpy(a.raw + 28, &self, 2);
  return a;
}

void AddMovables(Ttrlevel& L, const MeshOffsets& m) {
  // Trees: three meshes (head pushed above the body, a hand popped back to the body) and two.
  L.mesh_trees = {2, 0, -256, 0, 1, 160, -128, 0,  // index 0: three-mesh models
                  0, 0, -256, 0};                  // index 8: two-mesh models
  const auto end_of_trees = static_cast<uint32_t>(L.mesh_trees.size());
  const std::vector<MovablePlan> plans = {
      {0, {m.empty, m.empty, m.empty}, 0},  // LARA: drawn with the skin's meshes
      {8, {m.box, m.pyramid, m.gem}, 0},    // LARA_SKIN
      {35, {m.box, m.pyramid}, 8},          // SKELETON
      {41, {m.box, m.pyramid}, 8},          // BADDY_1
      {51, {m.box, m.gem}, 8},              // CROCODILE
      {175, {m.gem}, end_of_trees},         // PUZZLE_ITEM1
      {203, {m.gem}, end_of_trees},         // KEY_ITEM1
      {308, {m.box}, end_of_trees},         // SWITCH_TYPE1
      {324, {m.door}, end_of_trees},        // DOOR_TYPE1
      {369, {m.gem}, end_of_trees},         // SMALLMEDI_ITEM
  };
  for (size_t k = 0; k < plans.size(); ++k) {
    const auto& p = plans[k];
    tmovable mv{};
    mv.object_id = p.object_id;
    mv.num_meshes = static_cast<uint16_t>(p.meshes.size());
    mv.start_mesh = static_cast<uint16_t>(L.mesh_pointers.size());
    mv.mesh_tree = p.tree;
    mv.frame_offset = static_cast<uint32_t>(L.frames.size() * 2);
    mv.animation = static_cast<uint16_t>(k);
    for (uint32_t off : p.meshes) L.mesh_pointers.push_back(off);
    // One frame: bounding box, root offset, then one rotation per mesh. The first mesh turns
    // on all three axes, the second about y alone (4096ths of a turn), the third not at all.
    const size_t start = L.frames.size();
    const int16_t tall = p.meshes.size() > 1 ? -448 : -256;
    const int16_t frame_head[9] = {-128, 128, tall, 0, -128, 128, 0, 0, 0};
    L.frames.insert(L.frames.end(), frame_head, frame_head + 9);
    ThreeAxis(L.frames, 0, static_cast<int>(k * 16) % 1024, 0);
    if (p.meshes.size() > 1) L.frames.push_back(static_cast<int16_t>(0x8000 | 512));
    if (p.meshes.size() > 2) ThreeAxis(L.frames, 0, 0, 0);
    const auto size = static_cast<uint8_t>(L.frames.size() - start);
    L.animations.push_back(MakeAnimation(mv.frame_offset, size, static_cast<uint16_t>(k)));
    L.movables.push_back(mv);
  }
  // Static meshes use mesh pointers 17 (box) and 18 (pyramid).
  L.mesh_pointers.push_back(m.box);
  L.mesh_pointers.push_back(m.pyramid);
  auto static_mesh = [](uint32_t id, uint16_t pointer, int16_t half, int16_t height) {
    tstatic_mesh s{};
    s.object_id = id;
    s.mesh = pointer;
    const int16_t box[12] = {int16_t(-half), half, height, 0, int16_t(-half), half,
                             int16_t(-half), half, height, 0, int16_t(-half), half};
    std::memcpy(s.rest, box, sizeof box);
    const uint16_t flags = 3;  // visible and solid
    std::memcpy(s.rest + 24, &flags, 2);
    return s;
  };
  L.static_meshes.push_back(static_mesh(0, 17, 128, -256));
  L.static_meshes.push_back(static_mesh(10, 18, 96, -192));
}

// ---- Small fixed-layout records ----

template <class R, class... Ts>
R Pack(const Ts&... values) {
  R r{};
  size_t at = 0;
  ((std::memcpy(r.raw + at, &values, sizeof values), at += sizeof values), ...);
  if (at != sizeof r.raw) throw std::logic_error("demo record size");
  return r;
}

titem2 Item(uint16_t id, uint16_t room, int32_t x, int32_t y, int32_t z, uint16_t angle,
            int16_t ocb, uint16_t flags) {
  return titem2{{}, id, room, x, y, z, angle, -1, ocb, flags};
}

}  // namespace

Ttrlevel BuildDemoLevel() {
  Ttrlevel L;
  L.loaded_marker = "Kelvora";
  L.version = 0x00345254;  // "TR4" and a zero byte
  L.version_kind = kTR4;
  L.page_counts = {1, 1, 0};  // one room page, one object page, no bump pages
  L.tex_marker = {0, 'T', 'E', 'X', 0};
  L.spr_marker = {'S', 'P', 'R', 0};
  L.palette[0] = tpalette_entry{{}, 255, 0, 255};

  PageSet pages(2);
  PaintRoomPage(pages);
  PaintObjectPage(pages);
  L.pages32 = SharedBlock::Of(pages.Take32());
  L.pages16 = SharedBlock::Of(pages.Take16());
  L.misc_pages = SharedBlock::Of(PaintMiscPages());
  L.num_pages = 2;
  AddObjectTextures(L);

  // Floor data first: the rooms point into it.
  FloorData fd(L.floor_data);
  using F = FloorData;
  const uint16_t to1 = fd.Group({F::Fn(1, 0, 1)});
  const uint16_t to2 = fd.Group({F::Fn(1, 0, 2)});
  const uint16_t back0 = fd.Group({F::Fn(1, 0, 0)});
  const uint16_t back0b = fd.Group({F::Fn(1, 0, 0)});
  const uint16_t g_type1 = fd.Group(
      {F::Fn(0, 0, 0), F::Trigger(1, 0x3E05, {F::Cmd(6, 2), F::Cmd(3, 1), F::Cmd(4, 2, true)})});
  const uint16_t g_type0 =
      fd.Group({F::Trigger(0, 0x3E00, {F::Cmd(0, 1), F::Cmd(1, 1), 0x1105, F::Cmd(0, 2, true)})});
  const uint16_t g_type5 = fd.Group({F::Trigger(5, 0x3E00, {F::Cmd(9, 3), F::Cmd(1, 0), 0x8A00})});
  const uint16_t g_type6 = fd.Group({F::Trigger(6, 0x3E00, {F::Cmd(0, 10, true)})});
  const uint16_t g_type7 = fd.Group({F::Trigger(7, 0x3E00, {F::Cmd(10, 1, true)})});
  const uint16_t g_type8 = fd.Group({F::Trigger(8, 0x3E00, {F::Cmd(11, 0, true)})});
  const uint16_t g_type3 = fd.Group({F::Trigger(3, 0x3E00, {4, F::Cmd(0, 4, true)})});
  const uint16_t g_type2 = fd.Group({F::Trigger(2, 0x3F00, {5, F::Cmd(0, 4), F::Cmd(5, 1, true)})});
  const uint16_t g_climb = fd.Group({F::Fn(28, 0, 0x1234), F::Fn(6, 5)});
  const uint16_t g_type13 = fd.Group({F::Trigger(13, 0xBE00, {F::Cmd(7, 1, true)})});
  const uint16_t g_flow = fd.Group({F::Trigger(0, 0x3E00, {F::Cmd(2, 2, true)})});
  const uint16_t g_slope = fd.Group({F::Fn(2, 0, 0x0200)});
  const uint16_t g_slopes = fd.Group({F::Fn(2, 0, 0x00FE), F::Fn(3, 0, 0x0101)});
  const uint16_t g_death =
      fd.Group({F::Fn(5), F::Trigger(9, 0x3E00, {F::Cmd(0, 1), F::Cmd(12, 0, true)})});
  const uint16_t g_type10 = fd.Group({F::Fn(6, 15), F::Trigger(10, 0x3E00, {F::Cmd(13, 2, true)})});
  const uint16_t g_tr3a = fd.Group({F::Fn(7, 0, 7), F::Fn(8, 0, 8), F::Fn(9, 0, 9),
                                    F::Fn(10, 0, 10), F::Fn(11, 0, 11), F::Fn(12, 0, 12)});
  const uint16_t g_tr3b = fd.Group({F::Fn(13, 0, 13), F::Fn(14, 0, 14), F::Fn(15, 0, 15),
                                    F::Fn(16, 0, 16), F::Fn(17, 0, 17), F::Fn(18, 0, 18)});
  const uint16_t g_type11 =
      fd.Group({F::Fn(19), F::Fn(20), F::Fn(21), F::Trigger(11, 0x3E00, {F::Cmd(14, 3, true)})});
  const uint16_t g_type12 = fd.Group({F::Trigger(12, 0x7E00, {F::Cmd(15, 7, true)})});
  const uint16_t g_type4 = fd.Group(
      {F::Trigger(4, 0x01FF, {7, F::Cmd(0, 3), F::Cmd(8, 5, true)}), F::Fn(26, 0, 0x0042)});
  const uint16_t g_key_pickup = fd.Group({F::Trigger(4, 0x3E00, {6, F::Cmd(0, 9, true)})});
  fd.Group({F::Trigger(0, 0x3E00, {F::Cmd(0, 2), F::Cmd(8, 12, true)})});  // used by no sector

  // Room 0: the hall.
  RoomPlan hall(0, 0, 6, 5, 0, -12);
  hall.SetBox(0);
  hall.SidePortal(1, 5, 1, 5, 3, to1);
  hall.SidePortal(2, 2, 4, 3, 4, to2);
  hall.VerticalPortal(3, 2, 2, 3, 2, false);
  hall.At(1, 1).fd = g_type1;
  hall.At(2, 1).fd = g_type0;
  hall.At(3, 1).fd = g_type5;
  hall.At(4, 1).fd = g_type6;
  hall.At(1, 2).fd = g_type7;
  hall.At(2, 2).fd = g_type8;
  hall.At(4, 2).fd = g_type3;
  hall.At(1, 3).fd = g_type2;
  hall.At(2, 3).fd = g_climb;
  hall.Finish({0, 4, 8, 17, 18}, false);

  // Room 1: the pool, under water.
  RoomPlan pool(4096, 0, 5, 5, 0, -12);
  pool.SetBox(1);
  pool.SidePortal(0, 0, 1, 0, 3, back0);
  pool.At(1, 1).fd = g_type13;
  pool.At(2, 2).fd = g_flow;
  pool.Finish({12, 6, 10, 19, 20}, false);

  // Room 2: ramps, the death sector and the rare functions.
  RoomPlan ramps(1024, 3072, 5, 5, 0, -12);
  ramps.SetBox(2);
  ramps.SidePortal(0, 1, 0, 2, 0, back0b);
  ramps.At(1, 1).fd = g_slope;
  ramps.At(1, 1).fz = 2;
  ramps.At(2, 1).fd = g_slopes;
  ramps.At(2, 1).fx = -2;
  ramps.At(2, 1).cx = 1;
  ramps.At(2, 1).cz = 1;
  ramps.At(3, 1).fd = g_death;
  ramps.At(1, 2).fd = g_type10;
  ramps.At(2, 2).fd = g_tr3a;
  ramps.At(3, 2).fd = g_tr3b;
  ramps.At(1, 3).fd = g_type11;
  ramps.At(2, 3).fd = g_type12;
  ramps.At(3, 3).fd = g_type4;
  ramps.Finish({2, 5, 9, 17, 18}, false);

  // Room 3: the roof, open to the sky, lying on the hall.
  RoomPlan roof(0, 0, 6, 5, -12, -24);
  roof.SetBox(3);
  roof.VerticalPortal(0, 2, 2, 3, 2, true);
  roof.At(1, 1).fd = g_key_pickup;
  roof.Finish({0, 7, 11, 19, 20}, true);

  L.rooms = {hall.Room(), pool.Room(), ramps.Room(), roof.Room()};
  auto& r0 = L.rooms[0];
  auto& r1 = L.rooms[1];
  auto& r2 = L.rooms[2];
  auto& r3 = L.rooms[3];
  r0.ambient = {0x20, 0x20};
  r0.ambient2 = 0x0020;
  r1.ambient = {0x60, 0x40};
  r1.ambient2 = 0x0020;
  r2.ambient = {0x18, 0x18};
  r2.ambient2 = 0x0018;
  r3.ambient = {0x50, 0x50};
  r3.ambient2 = 0x0050;
  r1.flags = 0x0001;
  r1.room_extra = {5, 0, 0};
  r1.alternate_room = 2;
  r3.flags = 0x0008 | 0x0020;
  r3.room_extra = {0, 0, 2};
  // Light types: 0 sun, 1 point, 2 spot, 4 fog bulb.
  r0.lights4 = {
      MakeLight({2560, -2048, 2560, {255, 230, 200, 255}, 1, 0x1F, 1024, 4096, 0, 0, 0, 0, 0}),
      MakeLight(
          {4608, -2816, 1536, {200, 200, 255, 255}, 2, 0x18, 1024, 3072, 2048, 0.5f, 0, 1, 0})};
  r1.lights4 = {
      MakeLight({6656, -2048, 2560, {120, 160, 255, 255}, 1, 0x14, 1024, 5120, 0, 0, 0, 0, 0})};
  r2.lights4 = {
      MakeLight({3584, -6144, 5632, {255, 255, 255, 255}, 0, 0x10, 0, 0, 0, 0, 0.3f, 0.9f, 0.3f}),
      MakeLight({2560, -1536, 6656, {255, 120, 60, 255}, 1, 0x1F, 512, 2048, 0, 0, 0, 0, 0})};
  r3.lights4 = {
      MakeLight({3072, -8192, 2560, {255, 250, 230, 255}, 0, 0x1F, 0, 0, 0, 0, 0, 1, 0}),
      MakeLight({1536, -4096, 3584, {180, 180, 200, 255}, 4, 0x0C, 512, 2048, 0, 0, 0, 0, 0})};
  AppendStatic(r0, tstatic2{{}, 1536, 0, 2560, 0x4000, 0x4210, 0, 0});
  AppendStatic(r2, tstatic2{{}, 2560, 0, 5632, 0x0000, 0x6318, 0, 0});
  AppendStatic(r3, tstatic2{{}, 4608, -3072, 1536, 0x8000, 0x7FFF, 0, 10});

  const MeshOffsets meshes = AddMeshes(L);
  AddMovables(L, meshes);

  AppendItem(L, Item(0, 0, 1536, 0, 1536, 0x4000, 0, 0x0000));
  AppendItem(L, Item(35, 2, 3584, 0, 5632, 0x8000, 1, 0x0000));
  AppendItem(L, Item(41, 0, 4608, 0, 3584, 0xC000, 0, 0x0100));
  AppendItem(L, Item(51, 1, 6656, 0, 2560, 0x2000, 0, 0x0000));
  AppendItem(L, Item(324, 0, 2560, 0, 4608, 0x0000, 0, 0x0000));
  AppendItem(L, Item(308, 0, 1536, 0, 3584, 0xC000, 3, 0x0000));
  AppendItem(L, Item(203, 3, 1536, -3072, 1536, 0x0000, 0, 0x0000));
  AppendItem(L, Item(175, 2, 4608, 0, 6656, 0x0000, 0, 0x0000));
  AppendItem(L, Item(369, 3, 4608, -3072, 3584, 0x0000, 0, 0x0000));
  AppendItem(L, Item(41, 3, 3584, -3072, 1536, 0x4000, 2, 0x3E00));
  AppendItem(L, Item(35, 0, 4608, 0, 1536, 0x8000, 5, 0x3E00));
  // AI objects keep their facing in the last four bytes, in the units of item angles.
  const int32_t ai_angle = 0xC000;
  taux_item guard{{}, 398, 0, 4608, 0, 3584, 0, 0, {}};
  std::memcpy(guard.aux_tail, &ai_angle, 4);
  taux_item patrol{{}, 400, 2, 2560, 0, 6656, 1, 0x3E00, {}};
  L.aux_items = {guard, patrol};

  // Sprites: two 32 x 32 spots on page 1, one sequence.
  for (int k = 0; k < 2; ++k) {
    const uint8_t x = static_cast<uint8_t>(128 + k * 32), y = 192;
    L.sprite_textures.push_back(Pack<tsprite_texture>(uint16_t{1}, x, y, uint16_t{31 * 256},
                                                      uint16_t{31 * 256}, int16_t(x), int16_t(y),
                                                      int16_t(x + 32), int16_t(y + 32)));
  }
  L.sprite_sequences.push_back(Pack<tsprite_sequence>(int32_t{463}, int16_t{-2}, int16_t{0}));

  // Cameras: x, y, z, room, flag word (byte 14).
  L.cameras = {
      Pack<tcamera>(int32_t{2560}, int32_t{-2560}, int32_t{1536}, int16_t{0}, uint16_t{0}),
      Pack<tcamera>(int32_t{2560}, int32_t{-2560}, int32_t{6656}, int16_t{2}, uint16_t{0x0101}),
      Pack<tcamera>(int32_t{7680}, int32_t{-512}, int32_t{3584}, int16_t{1}, uint16_t{0x0008})};
  // Flyby cameras: position, target, sequence, index, fov, roll, timer, speed, flags, room.
  for (uint8_t k = 0; k < 2; ++k)
    L.flyby_cameras.push_back(Pack<tflyby_camera>(
        static_cast<int32_t>(1536 + k * 2048), int32_t{-2048}, int32_t{1536}, int32_t{3072},
        int32_t{-1024}, int32_t{3584}, uint8_t{0}, k, uint16_t{0x38E4}, int16_t{0}, uint16_t{0},
        uint16_t{0x028F}, uint16_t{0}, uint32_t{0}));
  L.sound_sources = {Pack<tsound_source>(int32_t{2560}, int32_t{-1024}, int32_t{2560}, uint16_t{1},
                                         uint16_t{0x00C0})};

  // Boxes: one per room (z and x bounds in sectors, floor, overlap index); overlaps; zones.
  L.ResizeBoxes(0);
  auto box = [](uint8_t zmin, uint8_t zmax, uint8_t xmin, uint8_t xmax, int16_t floor,
                uint16_t overlap) { return Pack<tbox2>(zmin, zmax, xmin, xmax, floor, overlap); };
  L.boxes2 = {box(1, 4, 1, 5, 0, 0), box(1, 4, 5, 8, 0, 2), box(4, 7, 2, 5, 0, 3),
              box(1, 4, 1, 5, -3072, 4)};
  L.boxes1.assign(L.boxes2.size(), tbox1{});
  L.overlaps = {1, 0x8002, 0x8000, 0x8000, 0x8000};
  L.ResizeZones(L.boxes2.size());
  for (size_t a = 0; a < L.zones.size(); ++a)
    L.zones[a] = {1, uint16_t(a == 4 || a == 9 ? 1 : 2), 1, 1};

  // Sound map (370 words in TR4 files): sounds 0..3 use details 0..3, every other sound none.
  for (size_t k = 0; k < 740; k += 2) {
    const int16_t v = k / 2 < 4 ? static_cast<int16_t>(k / 2) : int16_t{-1};
    std::memcpy(&L.word_table[k], &v, 2);
  }
  for (uint16_t k = 0; k < 4; ++k)
    L.records8.push_back(
        Pack<trecord8>(k, uint8_t{0x80}, uint8_t{10}, uint8_t{0}, uint8_t{0}, uint16_t{0x0004}));
  L.index_list = {0, 1, 2, 3};
  L.tail_count = 0;
  L.level_data_end.assign(6, 0);

  DeriveAnimatedTextureGroups(L);
  return L;
}

}  // namespace qavel
