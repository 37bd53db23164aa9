#pragma once
// Ttrlevel: one level of any generation in memory, close to the file's own tables.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "level/records.h"
#include "level/result.h"
#include "level/shared_block.h"

namespace qavel {

// Generation codes held in Ttrlevel::version_kind.
enum VersionKind : int32_t {
  kTR1 = 1,
  kTR1Tub = 2,
  kTR2 = 3,
  kTR2Trg = 4,
  kTR3 = 5,
  kTR4 = 6,
  kTR5 = 7,
};

// The name users know a generation by ("TR4", "TR1 (.tub)"); "unknown" for any other code.
const char* GenerationName(int32_t version_kind);

// Per-room capacities: the limits of the model. Files beyond them are refused.
struct RoomCapacity {
  static constexpr size_t vertices = 1500;
  static constexpr size_t rectangles = 2000;
  static constexpr size_t triangles = 1250;
  static constexpr size_t sprites = 50;
  static constexpr size_t portals = 20;
  static constexpr size_t sectors = 512;
  static constexpr size_t lights = 50;
  static constexpr size_t static_instances = 50;
  static constexpr size_t trc_records36 = 21;
};

// TR5 geometry of one layer exactly as the file holds it.
struct ttr5_layer_block {
  std::vector<tvertex5> vertices;
  std::vector<trectangle5> rectangles;
  std::vector<ttriangle5> triangles;
  bool operator==(const ttr5_layer_block&) const = default;
};

// The TR5 room header as the file holds it (216 bytes). Named fields of troom are read from
// it and written back into it; bytes the program does not interpret keep the file's values.
inline constexpr size_t kTrcRoomHeaderSize = 216;

struct troom {
  int32_t x = 0, z = 0;
  int32_t y_bottom = 0, y_top = 0;
  uint32_t num_data_words = 0;  // TR1-TR4 geometry size word as read

  // Geometry, merged for TR5. vertices1/vertices2 (and vertices5 for TR5) always have the same
  // length; change them through StoreVertex/AddVertex so the forms stay in step.
  std::vector<tvertex1> vertices1;
  std::vector<tvertex2> vertices2;
  std::vector<tvertex5> vertices5;
  std::vector<trectangle> rectangles;
  std::vector<trectangle5> rectangles5;  // TR5: same faces with their sixth word
  std::vector<ttriangle> triangles;
  std::vector<ttriangle5> triangles5;
  std::vector<tsprite> sprites;
  std::vector<tportal> portals;
  uint16_t num_z_sectors = 0, num_x_sectors = 0;
  std::vector<tsector> sectors;  // column by column, num_x_sectors x num_z_sectors

  std::array<uint8_t, 2> ambient{};
  uint16_t ambient2 = 0;    // TR2-TR4
  uint16_t light_mode = 0;  // TR2
  std::vector<tlight1> lights1;
  std::vector<tlight2> lights2;
  std::vector<tlight4> lights4;
  std::vector<tlight5> lights5;
  // statics1 and statics2 describe the same instances; change them through StoreStatic.
  std::vector<tstatic1> statics1;
  std::vector<tstatic2> statics2;
  int16_t alternate_room = -1;
  uint16_t flags = 0;
  std::array<uint8_t, 3> room_extra{};  // TR3/TR4

  // TR5 room header values.
  std::vector<tlayer5> layers;               // layer records as read
  std::vector<ttr5_layer_block> tr5_layers;  // layer geometry as read
  std::vector<ttrc_record36> trc_records36;
  uint32_t trc_data_size = 0;
  std::array<uint32_t, 4> trc_offsets{};
  uint32_t trc_unknown1 = 0;
  uint32_t trc_colour = 0;
  uint32_t trc_unknown2 = 0, trc_unknown3 = 0, trc_unknown4 = 0;
  std::array<uint8_t, 16> trc_block16{};
  uint32_t trc_unknown6 = 0;
  std::array<uint32_t, 5> trc_unknown7{};
  uint32_t trc_unknown9 = 0, trc_unknown10 = 0;
  std::array<uint32_t, 5> trc_unknown11{};  // trc_unknown11 .. trc_unknown15
  uint16_t trc_room_word = 0;
  std::array<uint8_t, kTrcRoomHeaderSize> trc_header_raw{};
  std::array<uint8_t, 2> trc_portal_pad{};  // the two bytes after the portals
  std::array<uint8_t, 2> trc_face_pad{};    // the two bytes after an odd triangle count
  bool trc_has_face_pad = false;            // ... and whether the room has them
  Bytes trc_trailing;                       // bytes after the vertices, up to the block's end

  size_t num_vertices() const { return vertices2.size(); }
  size_t num_rectangles() const { return rectangles.size(); }
  size_t num_triangles() const { return triangles.size(); }
  size_t num_sprites() const { return sprites.size(); }
  size_t num_portals() const { return portals.size(); }
  size_t num_lights(int32_t version_kind) const;
  size_t num_static_instances() const { return statics2.size(); }
  size_t num_layers() const { return layers.size(); }
  uint32_t& trc_unknown15() { return trc_unknown11[4]; }

  bool operator==(const troom&) const = default;
};

// The level. Count fields of the file are the sizes of the tables (num_* methods).
class Ttrlevel {
 public:
  // Identity and texture pages.
  bool loaded = false;  // set by the reader once a file's version word was accepted
  uint32_t version = 0;
  int32_t version_kind = 0;
  std::array<uint16_t, 3> page_counts{};
  uint32_t num_pages = 0;  // TR1-TR3 as the file counts them; TR4/TR5 the 16-bit pages held
  // TR4/TR5 files pack pages16, pages32 and misc_pages; the reader keeps them packed until
  // their bytes are first asked for (see SharedBlock). Code that shows texels asks
  // UnpackTexturePages first and tells the user of a damaged chunk.
  SharedBlock pages8;      // TR1-TR3: 256 x 256 palette indices a page
  SharedBlock pages16;     // TR2-TR5: 256 x 256 16-bit texels a page
  SharedBlock pages32;     // TR4/TR5
  SharedBlock misc_pages;  // TR4/TR5: the third texture chunk, raw
  uint32_t reserved_dword = 0;
  std::array<uint8_t, 32> trc_header{};
  uint32_t trc_level_data_size = 0, trc_level_data_size2 = 0;
  uint16_t trc_room_count_high = 0;  // TR5: high half of the 32-bit room count

  std::vector<troom> rooms;
  std::vector<uint16_t> floor_data;
  std::vector<uint16_t> mesh_data;
  std::vector<uint32_t> mesh_pointers;
  std::vector<tanimation> animations;
  std::vector<tstate_change> state_changes;
  std::vector<tanim_dispatch> anim_dispatches;
  std::vector<uint16_t> anim_commands;
  std::vector<int32_t> mesh_trees;
  std::vector<int16_t> frames;
  std::vector<tmovable> movables;
  std::vector<tstatic_mesh> static_meshes;
  std::array<uint8_t, 5> tex_marker{};
  std::vector<tobject_texture> object_textures;
  std::array<uint8_t, 4> spr_marker{};
  std::vector<tsprite_texture> sprite_textures;
  std::vector<tsprite_sequence> sprite_sequences;
  std::vector<tcamera> cameras;
  std::vector<tflyby_camera> flyby_cameras;
  std::vector<tsound_source> sound_sources;
  std::vector<tbox1> boxes1;  // TR1 form
  std::vector<tbox2> boxes2;  // TR2-TR5 form
  std::vector<uint16_t> overlaps;
  std::array<std::vector<uint16_t>, 10> zones;  // zones[0] is zone array 1
  std::vector<uint16_t> animated_textures;
  // items1 and items2 describe the same items; change them through StoreItem/ResizeItems.
  std::vector<titem1> items1;
  std::vector<titem2> items2;
  std::array<uint8_t, 8192> light_map{};
  std::array<tpalette_entry, 256> palette{};
  std::array<uint8_t, 1024> palette16{};
  std::vector<taux16> aux16_records;
  std::vector<taux_item> aux_items;
  std::vector<uint8_t> byte_list;
  std::array<uint8_t, 900> word_table{};
  // Extended level editors store a longer word table in place of byte_list and word_table
  // (TR4); when this is non-empty the file had that layout and it is written back so.
  std::vector<uint16_t> extended_word_table;
  std::vector<trecord8> records8;
  uint32_t tail_count = 0;
  SharedBlock tail_data;  // the samples (TR1: the sized sample block inside the level data)
  std::vector<uint32_t> index_list;
  // TR4/TR5: bytes between the index list and the end of the level data, kept as read.
  Bytes level_data_end;

  // What the file looked like, so that unchanged parts are written back exactly. It is not
  // level data: two models that differ only here compare equal.
  struct Origin {
    struct Chunk {
      SharedBlock unpacked;    // the block the model was given; unchanged while it shares storage
      SharedBlock packed;      // the chunk's packed bytes as the file holds them
      uint32_t size_word = 0;  // the unpacked size as the file stated it
    };
    Chunk pages32, pages16, misc_pages, level_data;
    std::array<uint8_t, 3> palette0{};  // palette entry 0 as the file held it
    bool has_palette0 = false;
    // What the reader noticed and accepted, one line each for the user (a large part of the
    // level data left unread, which a damaged count causes).
    std::vector<std::string> read_warnings;
    bool operator==(const Origin&) const { return true; }
  } origin;

  // Table sizes under the file's names.
  uint16_t num_rooms() const { return static_cast<uint16_t>(rooms.size()); }
  uint32_t num_floor_data() const { return sz(floor_data); }
  uint32_t num_mesh_data() const { return sz(mesh_data); }
  uint32_t num_mesh_pointers() const { return sz(mesh_pointers); }
  uint32_t num_animations() const { return sz(animations); }
  uint32_t num_state_changes() const { return sz(state_changes); }
  uint32_t num_anim_dispatches() const { return sz(anim_dispatches); }
  uint32_t num_anim_commands() const { return sz(anim_commands); }
  uint32_t num_mesh_trees() const { return sz(mesh_trees); }
  uint32_t num_frames() const { return sz(frames); }
  uint32_t num_movables() const { return sz(movables); }
  uint32_t num_static_meshes() const { return sz(static_meshes); }
  uint32_t num_object_textures() const { return sz(object_textures); }
  uint32_t num_sprite_textures() const { return sz(sprite_textures); }
  uint32_t num_sprite_sequences() const { return sz(sprite_sequences); }
  uint32_t num_cameras() const { return sz(cameras); }
  uint32_t num_flyby_cameras() const { return sz(flyby_cameras); }
  uint32_t num_sound_sources() const { return sz(sound_sources); }
  uint32_t num_boxes() const { return version_kind < kTR2 ? sz(boxes1) : sz(boxes2); }
  uint32_t num_overlaps() const { return sz(overlaps); }
  uint32_t num_zones() const { return num_boxes(); }
  uint32_t num_animated_textures() const { return sz(animated_textures); }
  uint32_t num_items() const { return sz(items2); }
  uint32_t num_aux_records() const {
    return version_kind >= kTR4 ? sz(aux_items) : sz(aux16_records);
  }
  uint32_t num_byte_list() const { return sz(byte_list); }
  uint32_t num_records8() const { return sz(records8); }
  uint32_t num_index_list() const { return sz(index_list); }
  uint32_t tail_data_size() const { return static_cast<uint32_t>(tail_data.size()); }

  bool IsLoaded() const { return loaded; }

  // Resize operations that keep paired forms together (new elements zero-filled).
  void ResizeBoxes(size_t n);
  void ResizeZones(size_t n);
  void ResizeItems(size_t n);

  // Every table and header value (the origin compares equal whatever it holds).
  bool operator==(const Ttrlevel& other) const = default;
  // Name of the first table or field that differs, empty exactly when the levels are equal.
  std::string FirstDifference(const Ttrlevel& other) const;

 private:
  template <class V>
  static uint32_t sz(const V& v) {
    return static_cast<uint32_t>(v.size());
  }
};

// Unpacks the level's texture pages now where they are still packed (the largest chunk on a
// thread of its own); the first failure names the damaged chunk. Ok for levels that hold their
// pages unpacked. Safe to call from any thread, and while others read the pages.
Result UnpackTexturePages(const Ttrlevel& level);

// ---- Paired record forms: one piece of code keeps them in step. ----

titem2 ItemFromTr1(const titem1& a);
titem1 ItemToTr1(const titem2& b);
// Stores an item in both forms.
void StoreItem(Ttrlevel& level, size_t index, const titem2& item);
// Appends an item (both forms); returns its index.
size_t AppendItem(Ttrlevel& level, const titem2& item);

tstatic2 StaticFromTr1(const tstatic1& a);
tstatic1 StaticToTr1(const tstatic2& b);
void StoreStatic(troom& room, size_t index, const tstatic2& instance);
size_t AppendStatic(troom& room, const tstatic2& instance);
// Sets the number of instances in both forms (new ones zero-filled).
void ResizeStatics(troom& room, size_t n);

tvertex2 VertexFromTr1(const tvertex1& a);
tvertex1 VertexToTr1(const tvertex2& b);
// Stores a vertex in every form the room keeps (TR5 positions become floats).
void StoreVertex(troom& room, size_t index, const tvertex2& vertex);

// 1-based position of the first vertex at (x, y, z), 0 if none.
size_t FindVertex(const troom& room, int16_t x, int16_t y, int16_t z);
// Finds or appends the point; a found point's light is averaged into the TR1 form.
// Returns the 1-based position, or 0 when the room is full.
size_t AddVertex(troom& room, int16_t x, int16_t y, int16_t z, uint8_t light);

// Empties every form of the room's vertex, rectangle and triangle lists.
void ClearGeometry(troom& room);

// Fills the forms a file does not hold from the one it does (after reading).
void DeriveRoomForms(troom& room, int32_t version_kind);
void DeriveItemForms(Ttrlevel& level);
// Object textures get the 1-based number of their animated-texture group (0 for none).
void DeriveAnimatedTextureGroups(Ttrlevel& level);

// TR5: merges the layers of a room into its common lists.
void MergeTr5Layers(troom& room);

}  // namespace qavel
