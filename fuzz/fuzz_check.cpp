// CheckLevel over whatever a level can hold: the input is read as a level file (when the reader
// accepts it) and also spread over every table the rules read, with counts and indices of any
// value. The rules must read nothing outside the model and describe each problem properly.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "check/check_level.h"
#include "level/level_reader.h"

namespace {

using namespace qavel;

// Hands out the input's bytes; zeros once they run out.
struct Input {
  const uint8_t* data;
  size_t size;
  template <class T>
  T Take() {
    static_assert(std::is_trivially_copyable_v<T>);
    T value{};
    const size_t n = std::min(sizeof(T), size);
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
  }
  template <class T>
  void Fill(std::vector<T>& table, size_t most) {
    table.resize(Take<uint8_t>() % (most + 1));
    for (T& t : table) t = Take<T>();
  }
};

void CheckProblems(const Ttrlevel& level) {
  const auto problems = CheckLevel(level);
  for (const Problem& p : problems) {
    const std::string place = PlaceText(p.where);
    if (p.code.empty() || p.message.rfind(place + ": ", 0) != 0 ||
        p.message.size() <= place.size() + 2 || p.message.find('\n') != std::string::npos)
      std::abort();
  }
  const size_t errors = CountProblems(problems, Severity::kError);
  if (errors + CountProblems(problems, Severity::kWarning) != problems.size()) std::abort();
}

troom TakeRoom(Input& in, int32_t kind) {
  troom room;
  room.x = in.Take<int16_t>();
  room.z = in.Take<int16_t>();
  room.y_top = in.Take<int16_t>();
  room.y_bottom = in.Take<int16_t>();
  room.alternate_room = in.Take<int16_t>();
  room.num_x_sectors = in.Take<uint8_t>() % 6;
  room.num_z_sectors = in.Take<uint8_t>() % 6;
  // The sector list may disagree with the grid, as an edited model could.
  in.Fill(room.sectors, 40);
  in.Fill(room.portals, 4);
  in.Fill(room.statics2, 4);
  in.Fill(room.sprites, 4);
  if (kind == kTR5 && (in.Take<uint8_t>() & 1)) {
    room.tr5_layers.resize(in.Take<uint8_t>() % 3);
    for (auto& layer : room.tr5_layers) {
      in.Fill(layer.vertices, 6);
      in.Fill(layer.rectangles, 4);
      in.Fill(layer.triangles, 4);
    }
    room.layers.resize(room.tr5_layers.size());
    MergeTr5Layers(room);
  } else {
    in.Fill(room.vertices2, 12);
    in.Fill(room.rectangles, 8);
    in.Fill(room.triangles, 8);
  }
  DeriveRoomForms(room, kTR2);
  return room;
}

Ttrlevel TakeLevel(Input& in) {
  Ttrlevel L;
  L.version_kind = in.Take<uint8_t>() % 7 + 1;
  L.num_pages = in.Take<uint8_t>() % 4;
  const size_t rooms = in.Take<uint8_t>() % 4;
  for (size_t r = 0; r < rooms; ++r) L.rooms.push_back(TakeRoom(in, L.version_kind));
  std::vector<titem2> items;
  in.Fill(items, 6);
  for (const titem2& it : items) AppendItem(L, it);
  in.Fill(L.aux_items, 3);
  in.Fill(L.floor_data, 48);
  in.Fill(L.mesh_pointers, 8);
  in.Fill(L.movables, 6);
  in.Fill(L.static_meshes, 3);
  in.Fill(L.animations, 6);
  in.Fill(L.state_changes, 6);
  in.Fill(L.anim_dispatches, 6);
  in.Fill(L.anim_commands, 24);
  in.Fill(L.mesh_trees, 16);
  in.Fill(L.frames, 64);
  in.Fill(L.object_textures, 6);
  in.Fill(L.sprite_textures, 4);
  in.Fill(L.sprite_sequences, 3);
  in.Fill(L.animated_textures, 16);
  in.Fill(L.cameras, 4);
  in.Fill(L.flyby_cameras, 3);
  in.Fill(L.sound_sources, 3);
  const size_t boxes = in.Take<uint8_t>() % 6;
  L.ResizeBoxes(boxes);
  for (auto& b : L.boxes1) b = in.Take<tbox1>();
  for (auto& b : L.boxes2) b = in.Take<tbox2>();
  in.Fill(L.overlaps, 12);
  for (auto& zone : L.zones) in.Fill(zone, 6);
  in.Fill(L.records8, 6);
  in.Fill(L.index_list, 6);
  if (in.Take<uint8_t>() & 1) in.Fill(L.extended_word_table, 64);
  const size_t map_bytes = std::min(in.size, L.word_table.size());
  std::memcpy(L.word_table.data(), in.data, map_bytes);
  in.Take<std::array<uint8_t, 900>>();
  in.Fill(L.mesh_data, 255);
  return L;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char* const kNames[] = {"f.phd", "f.tub", "f.tr2", "f.trg", "f.tr4", "f.trc"};
  const char* name = kNames[size ? data[size - 1] % 6 : 0];
  if (auto level = ReadLevelBytes(Bytes(data, data + size), name)) CheckProblems(*level);
  Input in{data, size};
  CheckProblems(TakeLevel(in));
  return 0;
}
