#pragma once
// Fixed-layout records of the level files. Each struct is the file's own byte layout
// (packed, little-endian); the size asserts keep them honest.

#include <bit>
#include <cstdint>
#include <cstring>

namespace qavel {

static_assert(std::endian::native == std::endian::little,
              "level records are read by copying little-endian bytes");

// Byte-wise equality for packed records (defaulted comparisons cannot bind packed members).
// Bytes, not values: two records are equal when a file would hold the same bytes, so a float
// -0.0 differs from 0.0 here, as it does on disk.
template <class T>
struct RawEq {
  friend bool operator==(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;  // NOLINT(bugprone-suspicious-memory-comparison)
  }
};

#pragma pack(push, 1)

struct tvertex1 : RawEq<tvertex1> {  // TR1 room vertex
  int16_t x, y, z;
  int16_t lighting;
};
static_assert(sizeof(tvertex1) == 8);

struct tvertex2 : RawEq<tvertex2> {  // TR2-TR4 room vertex
  int16_t x, y, z;
  int16_t lighting;
  uint16_t attributes;
  uint16_t colour;
};
static_assert(sizeof(tvertex2) == 12);

struct tvertex5 : RawEq<tvertex5> {  // TR5 room vertex: position, normal, colour (BGRA at 24..27)
  float x, y, z;
  uint8_t rest[16];
};
static_assert(sizeof(tvertex5) == 28);

struct trectangle : RawEq<trectangle> {
  uint16_t vertices[4];
  uint16_t texture;
};
static_assert(sizeof(trectangle) == 10);

struct trectangle5 : RawEq<trectangle5> {
  uint16_t vertices[4];
  uint16_t texture;
  uint16_t extra;
};
static_assert(sizeof(trectangle5) == 12);

struct ttriangle : RawEq<ttriangle> {
  uint16_t vertices[3];
  uint16_t texture;
};
static_assert(sizeof(ttriangle) == 8);

struct ttriangle5 : RawEq<ttriangle5> {
  uint16_t vertices[3];
  uint16_t texture;
  uint16_t extra;
};
static_assert(sizeof(ttriangle5) == 10);

struct tsprite : RawEq<tsprite> {
  uint8_t raw[4];
};
static_assert(sizeof(tsprite) == 4);

struct tportal : RawEq<tportal> {
  uint16_t adjoining_room;
  int16_t normal[3];
  int16_t vertices[12];
};
static_assert(sizeof(tportal) == 32);

struct tsector : RawEq<tsector> {
  uint16_t fd_index;
  uint16_t box_index;
  uint8_t room_below;  // 255 = none
  int8_t floor;
  uint8_t room_above;  // 255 = none
  int8_t ceiling;
};
static_assert(sizeof(tsector) == 8);

struct tlight1 : RawEq<tlight1> {
  uint8_t raw[18];
};
static_assert(sizeof(tlight1) == 18);
struct tlight2 : RawEq<tlight2> {
  uint8_t raw[24];
};
static_assert(sizeof(tlight2) == 24);
struct tlight4 : RawEq<tlight4> {
  uint8_t raw[46];
};
static_assert(sizeof(tlight4) == 46);
struct tlight5 : RawEq<tlight5> {
  uint8_t raw[88];
};
static_assert(sizeof(tlight5) == 88);

struct tstatic1 : RawEq<tstatic1> {  // TR1 static mesh instance
  int32_t x, y, z;
  uint16_t rotation;
  uint16_t intensity;
  uint16_t mesh_id;
};
static_assert(sizeof(tstatic1) == 18);

struct tstatic2 : RawEq<tstatic2> {  // TR2-TR5 static mesh instance
  int32_t x, y, z;
  uint16_t rotation;
  uint16_t intensity1;
  uint16_t intensity2;
  uint16_t mesh_id;
};
static_assert(sizeof(tstatic2) == 20);

struct ttrc_record36 : RawEq<ttrc_record36> {
  uint8_t raw[36];
};
static_assert(sizeof(ttrc_record36) == 36);

struct tlayer5 : RawEq<tlayer5> {  // TR5 room layer record
  uint32_t num_vertices;
  uint16_t layer_word;
  uint16_t num_rectangles;
  uint16_t num_triangles;
  uint8_t layer_rest[46];
};
static_assert(sizeof(tlayer5) == 56);

struct titem1 : RawEq<titem1> {  // TR1 item
  uint16_t object_id;
  uint16_t room;
  int32_t x, y, z;
  uint16_t angle;
  int16_t light;
  uint16_t item_flags;
};
static_assert(sizeof(titem1) == 22);

struct titem2 : RawEq<titem2> {  // TR2-TR5 item
  uint16_t object_id;
  uint16_t room;
  int32_t x, y, z;
  uint16_t angle;
  int16_t light1;
  int16_t light2_ocb;  // TR4/TR5: the OCB
  uint16_t item_flags;
};
static_assert(sizeof(titem2) == 24);

struct taux_item : RawEq<taux_item> {  // TR4/TR5 auxiliary (AI) item
  uint16_t object_id;
  uint16_t room;
  int32_t x, y, z;
  int16_t ocb;
  uint16_t item_flags;
  uint8_t aux_tail[4];
};
static_assert(sizeof(taux_item) == 24);

struct taux16 : RawEq<taux16> {
  uint8_t raw[16];
};
static_assert(sizeof(taux16) == 16);

// Model form of an animation: file bytes 0..15, the 8 bytes only TR4/TR5 hold, file bytes 16..31.
struct tanimation : RawEq<tanimation> {
  uint8_t raw[40];
};
static_assert(sizeof(tanimation) == 40);

struct tstate_change : RawEq<tstate_change> {
  uint8_t raw[6];
};
static_assert(sizeof(tstate_change) == 6);

struct tanim_dispatch : RawEq<tanim_dispatch> {
  uint8_t raw[8];
};
static_assert(sizeof(tanim_dispatch) == 8);

struct tmovable : RawEq<tmovable> {  // file form is 18 bytes (TR5: 20, with trc_pad)
  uint32_t object_id;
  uint16_t num_meshes;
  uint16_t start_mesh;
  uint32_t mesh_tree;
  uint32_t frame_offset;
  uint16_t animation;
  uint16_t trc_pad;
};
static_assert(sizeof(tmovable) == 20);

struct tstatic_mesh : RawEq<tstatic_mesh> {
  uint32_t object_id;
  uint16_t mesh;
  uint8_t rest[26];
};
static_assert(sizeof(tstatic_mesh) == 32);

// Model form of an object texture; the file forms are 20 (TR1-TR3), 38 (TR4) and 40 (TR5) bytes.
struct tobject_texture : RawEq<tobject_texture> {
  uint16_t attribute;
  uint16_t tile;
  uint16_t tex_flags;
  uint8_t corners[16];  // per corner: x coordinate, x pixel, y coordinate, y pixel
  uint32_t tex_extra[4];
  uint16_t trc_tex_word;
  uint16_t anim_group;  // derived on load, never stored in a file
};
static_assert(sizeof(tobject_texture) == 42);

struct tsprite_texture : RawEq<tsprite_texture> {
  uint8_t raw[16];
};
static_assert(sizeof(tsprite_texture) == 16);

struct tsprite_sequence : RawEq<tsprite_sequence> {
  uint8_t raw[8];
};
static_assert(sizeof(tsprite_sequence) == 8);

struct tcamera : RawEq<tcamera> {
  uint8_t raw[16];  // the flag word sits at byte 14
};
static_assert(sizeof(tcamera) == 16);

struct tflyby_camera : RawEq<tflyby_camera> {
  uint8_t raw[40];
};
static_assert(sizeof(tflyby_camera) == 40);

struct tsound_source : RawEq<tsound_source> {
  uint8_t raw[16];
};
static_assert(sizeof(tsound_source) == 16);

struct tbox1 : RawEq<tbox1> {
  uint8_t raw[20];
};
static_assert(sizeof(tbox1) == 20);

struct tbox2 : RawEq<tbox2> {
  uint8_t raw[8];
};
static_assert(sizeof(tbox2) == 8);

struct trecord8 : RawEq<trecord8> {
  uint8_t raw[8];
};
static_assert(sizeof(trecord8) == 8);

struct tpalette_entry : RawEq<tpalette_entry> {
  uint8_t red, green, blue;
};
static_assert(sizeof(tpalette_entry) == 3);

#pragma pack(pop)

}  // namespace qavel
