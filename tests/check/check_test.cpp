// CheckLevel: one table of levels that each break exactly one rule, in every generation the rule
// reads; the readings that must not be taken for faults (the real levels and the demo level, with
// their known warnings: the sweep in tests/inspect).

#include <gtest/gtest.h>

#include <functional>

#include "check/check_level.h"
#include "fixtures/test_level.h"

namespace qavel {
namespace {

using test::Cmd;
using test::Fn;
constexpr uint16_t kLast = 0x8000;

// One mesh: three vertices, no normals, one textured rectangle (corners 0, 1, 2 and `corner`).
std::vector<uint16_t> MeshWords(int32_t kind, uint16_t corner = 2, uint16_t texture = 0) {
  std::vector<uint16_t> w = {0, 0, 0, 0, 0, 3, 0, 0, 0, 1024, 0, 0, 0, 0, 1024, 0, 1, 0, 1, 2};
  w.push_back(corner);
  w.push_back(texture);
  if (kind >= kTR4) w.push_back(0);            // effects word
  w.push_back(0);                              // no textured triangles
  if (kind < kTR4) w.insert(w.end(), {0, 0});  // no coloured faces
  if (w.size() % 2) w.push_back(0);
  return w;
}

// The sectors at index 4 of both rooms name the list at word 1.
void SetFloorList(Ttrlevel& L, std::vector<uint16_t> words) {
  words.insert(words.begin(), 0);
  L.floor_data = std::move(words);
}

// The overlap word of box 1 (its high byte holds the flags): the last of a TR1 box, byte 6 after.
uint8_t* Box1Overlaps(Ttrlevel& L) {
  return L.version_kind < kTR2 ? L.boxes1[1].raw + 18 : L.boxes2[1].raw + 6;
}

template <class T>
void Put(uint8_t* raw, size_t at, T value) {
  std::memcpy(raw + at, &value, sizeof value);
}

// The tiny level of a generation with every reference in order.
Ttrlevel CleanLevel(int32_t kind) {
  Ttrlevel L = test::MakeTinyLevel(kind);
  L.mesh_data = MeshWords(kind);
  L.frames.assign(64, 0);
  L.static_meshes[0].object_id = 3;  // what the rooms' instances name
  for (auto& room : L.rooms)
    for (auto& s : room.sprites) s = tsprite{{}, {1, 0, 0, 0}};
  L.items2[0].x = 4096 + 1536;   // inside room 1
  StoreItem(L, 0, L.items2[0]);  // the TR1 form follows the edited TR2 form
  SetFloorList(L, {Fn(4, 0, true), 0x0100, Cmd(0, 0, true)});
  L.word_table.fill(0);
  return L;
}

struct Breakage {
  const char* name;
  std::function<void(Ttrlevel&)> breaks;
  const char* code;  // nullptr: the level stays free of problems
  const char* where = "";
  Severity severity = Severity::kError;
  int32_t first_kind = kTR1, last_kind = kTR5;  // the generations the row applies to
};

constexpr Severity kW = Severity::kWarning;
constexpr Severity kE = Severity::kError;

// A row that puts `words` in the floor-data list of column 2, row 2 of room 0.
Breakage FloorRow(const char* name, std::vector<uint16_t> words, const char* code = nullptr,
                  Severity severity = kE, int32_t first = kTR1, int32_t last = kTR5) {
  const char* where = code ? "column 2, row 2 of room 0" : "";
  return {name, [words](Ttrlevel& L) { SetFloorList(L, words); }, code, where, severity, first,
          last};
}

// Each row breaks one reference of the clean level (or changes it in a way that is no fault: those
// rows also find the clean level of each generation free of problems).
const std::vector<Breakage>& Breakages() {
  static const std::vector<Breakage> rows = {
      // Rooms.
      {"portal to a missing room", [](auto& L) {
         L.rooms[0].portals.push_back(L.rooms[0].portals[0]);  // room 1 keeps its way back
         L.rooms[0].portals[0].adjoining_room = 77;
       }, "portal-room", "portal 0 of room 0"},
      {"portal without its way back", [](auto& L) { L.rooms[1].portals.clear(); }, "portal-back",
       "portal 0 of room 0", kW},
      {"alternate room missing", [](auto& L) { L.rooms[0].alternate_room = 2; }, "room-alternate",
       "room 0"},
      {"alternate room negative", [](auto& L) { L.rooms[1].alternate_room = -5; },
       "room-alternate-negative", "room 1", kW},
      {"sector box, whole word", [](auto& L) { L.rooms[0].sectors[2].box_index = 2; }, "sector-box",
       "column 1, row 3 of room 0", kE, kTR1, kTR2Trg},
      {"sector box, bits 4 to 14", [](auto& L) { L.rooms[0].sectors[2].box_index = 2 << 4 | 6; },
       "sector-box", "column 1, row 3 of room 0", kE, kTR3},
      {"sector without a box, bits 4 to 14",
       [](auto& L) { L.rooms[0].sectors[2].box_index = 0x7FF6; }, nullptr, "", kE, kTR3},
      {"sector with a box and material bits",
       [](auto& L) { L.rooms[0].sectors[2].box_index = 0x8016; }, nullptr, "", kE, kTR3},
      {"sector room below", [](auto& L) { L.rooms[1].sectors[5].room_below = 2; },
       "sector-room-below", "column 2, row 3 of room 1"},
      {"sector room above", [](auto& L) { L.rooms[1].sectors[0].room_above = 9; },
       "sector-room-above", "column 1, row 1 of room 1"},
      {"sector floor-data index", [](auto& L) { L.rooms[0].sectors[1].fd_index = 4; },
       "sector-floor-data", "column 1, row 2 of room 0"},
      {"static mesh id", [](auto& L) { L.rooms[1].statics2[0].mesh_id = 4; }, "static-mesh",
       "static 0 of room 1"},
      {"rectangle vertex", [](auto& L) { L.rooms[0].rectangles[0].vertices[3] = 4; }, "face-vertex",
       "rectangle 0 of room 0"},
      {"triangle texture", [](auto& L) { L.rooms[1].triangles[0].texture = 3; }, "face-texture",
       "triangle 0 of room 1"},
      {"double-sided face", [](auto& L) { L.rooms[1].triangles[0].texture = 0x8002; }, nullptr},
      {"TR5 layer face vertex hidden by the merge", [](auto& L) {
         troom& room = L.rooms[0];
         ttr5_layer_block block{room.vertices5, room.rectangles5, room.triangles5};
         block.rectangles[0].vertices[2] = 9;
         room.tr5_layers = {block};
         room.layers.resize(1);
         MergeTr5Layers(room);
       }, "face-vertex", "rectangle 0 of room 0", kE, kTR5},
      {"room sprite vertex", [](auto& L) { L.rooms[0].sprites[0].raw[0] = 4; }, "sprite-vertex",
       "sprite 0 of room 0", kE, kTR1, kTR4},
      {"room sprite texture", [](auto& L) { L.rooms[0].sprites[0].raw[2] = 1; }, "sprite-texture",
       "sprite 0 of room 0", kE, kTR1, kTR4},
      // Items.
      {"item room 77", [](auto& L) { L.items2[0].room = 77; }, "item-room", "item 0"},
      {"item room -5", [](auto& L) { L.items2[0].room = 0xFFFB; }, "item-room", "item 0"},
      {"aux item room", [](auto& L) { L.aux_items[0].room = 2; }, "item-room", "item 1", kE, kTR4},
      {"item without a movable", [](auto& L) { L.items2[0].object_id = 77; }, "item-object",
       "item 0", kW},
      {"item shown by a sprite sequence", [](auto& L) {
         L.items2[0].object_id = 77;
         Put<int32_t>(L.sprite_sequences[0].raw, 0, 77);
       }, nullptr},
      {"item outside its room", [](auto& L) { L.items2[0].y = -2048; }, "item-position", "item 0",
       kW},
      // Floor data (the list of column 2, row 2 of room 0).
      FloorRow("list without its end mark", {Fn(2), 0}, "floor-data-end"),
      FloorRow("trigger cut short", {Fn(4, 0, true), 0, Cmd(0, 0)}, "floor-data-end"),
      FloorRow("camera command without its second word", {Fn(4, 0, true), 0, Cmd(1, 0, true)},
               "floor-data-end"),
      FloorRow("portal to a missing room in the floor data", {Fn(1, 0, true), 2}, "floor-portal"),
      FloorRow("function the generation does not know", {Fn(6, 0, true)}, "floor-function", kW,
               kTR1, kTR1Tub),
      FloorRow("climbable walls", {Fn(6, 15, true)}, nullptr, kE, kTR2),
      FloorRow("trigger command names a missing item", {Fn(4, 0, true), 0, Cmd(0, 1, true)},
               "trigger-item"),
      FloorRow("look-at names a missing item", {Fn(4, 0, true), 0, Cmd(6, 5, true)},
               "trigger-item"),
      FloorRow("switch names a missing item", {Fn(4, 2, true), 0, 1, Cmd(0, 0, true)},
               "trigger-item"),
      FloorRow("switch item word with high bits", {Fn(4, 3, true), 0, 0x0400, Cmd(0, 0, true)},
               "trigger-item-bits", kW),
      FloorRow("camera command names a missing camera", {Fn(4, 0, true), 0, Cmd(1, 2), kLast},
               "trigger-camera"),
      FloorRow("underwater current names a missing camera", {Fn(4, 0, true), 0, Cmd(2, 7, true)},
               "trigger-camera"),
      FloorRow("flyby names a missing sequence", {Fn(4, 0, true), 0, Cmd(12, 1, true)},
               "trigger-flyby", kE, kTR4),
      FloorRow("flyby command before TR4", {Fn(4, 0, true), 0, Cmd(12, 1, true)}, nullptr, kE, kTR1,
               kTR3),
      FloorRow("trigger after a one-word function", {Fn(19), Fn(4, 0, true), 0, Cmd(0, 0, true)},
               nullptr, kE, kTR3),
      // Meshes and movables.
      {"mesh pointer past the mesh data",
       [](auto& L) { L.mesh_pointers[0] = 2 * L.num_mesh_data(); }, "mesh-pointer", "mesh 0"},
      {"odd mesh pointer", [](auto& L) { L.mesh_pointers[0] = 1; }, "mesh-pointer", "mesh 0"},
      {"mesh pointer inside another mesh", [](auto& L) {
         L.mesh_data.insert(L.mesh_data.begin(), {0, 0});
         L.mesh_pointers[0] = 4;
       }, "mesh-start", "mesh 0", kW},
      {"mesh cut short", [](auto& L) { L.mesh_data.resize(18); }, "mesh-end", "mesh 0"},
      {"mesh face vertex", [](auto& L) { L.mesh_data = MeshWords(L.version_kind, 3); },
       "mesh-face-vertex", "mesh 0"},
      {"mesh face texture", [](auto& L) { L.mesh_data = MeshWords(L.version_kind, 2, 3); },
       "mesh-face-texture", "mesh 0"},
      {"double-sided mesh face",
       [](auto& L) { L.mesh_data = MeshWords(L.version_kind, 2, 0x8002); }, nullptr},
      {"movable meshes past the pointers", [](auto& L) { L.movables[0].start_mesh = 1; },
       "movable-meshes", "movable 0 (object ID 0)"},
      {"movable mesh tree past its table", [](auto& L) {
         L.mesh_pointers.push_back(0);
         L.movables[0].num_meshes = 2;
         L.movables[0].mesh_tree = 1;
       }, "movable-mesh-tree", "movable 0 (object ID 0)"},
      {"movable animation", [](auto& L) { L.movables[0].animation = 2; }, "movable-animation",
       "movable 0 (object ID 0)"},
      {"movable without animations", [](auto& L) {
         L.movables[0].animation = 0xFFFF;
         L.movables[0].frame_offset = 1000;
       }, nullptr},
      {"movable frame offset", [](auto& L) { L.movables[0].frame_offset = 128; }, "movable-frame",
       "movable 0 (object ID 0)"},
      {"static mesh's mesh", [](auto& L) { L.static_meshes[0].mesh = 1; }, "static-mesh-pointer",
       "static mesh 0 (object ID 3)"},
      // Animations.
      {"animation frame offset", [](auto& L) { Put<uint32_t>(L.animations[1].raw, 0, 128); },
       "animation-frame", "animation 1"},
      {"animation key frames past the frames", [](auto& L) {
         L.animations[1].raw[4] = 2;  // frame rate
         L.animations[1].raw[5] = 20;  // words a frame
         Put<uint16_t>(L.animations[1].raw, 26, 6);  // frames 0 to 6: four key frames
       }, "animation-frame", "animation 1", kE, kTR2},
      {"animation key frames that fit", [](auto& L) {
         L.animations[1].raw[4] = 3;
         L.animations[1].raw[5] = 20;
         Put<uint16_t>(L.animations[1].raw, 26, 6);
       }, nullptr, "", kE, kTR2},
      {"next animation", [](auto& L) { Put<uint16_t>(L.animations[0].raw, 28, 2); },
       "animation-next", "animation 0"},
      {"state changes past their table", [](auto& L) { Put<uint16_t>(L.animations[0].raw, 32, 2); },
       "animation-state-changes", "animation 0"},
      {"commands past their table", [](auto& L) { Put<uint16_t>(L.animations[0].raw, 36, 1); },
       "animation-commands", "animation 0"},
      {"sound command names no sound", [](auto& L) {
         L.anim_commands = {5, 0, 1000};
         Put<uint16_t>(L.animations[0].raw, 36, 1);
       }, "animation-sound", "animation 0"},
      {"sound command with its environment bits", [](auto& L) {
         L.anim_commands = {5, 0, 0x8000 | 3, 3, 4};
         Put<uint16_t>(L.animations[0].raw, 36, 3);
       }, nullptr},
      {"state change dispatches", [](auto& L) { Put<uint16_t>(L.state_changes[0].raw, 2, 2); },
       "state-change-dispatches", "state change 0"},
      {"dispatch animation", [](auto& L) { Put<uint16_t>(L.anim_dispatches[0].raw, 4, 2); },
       "dispatch-animation", "anim dispatch 0"},
      // Textures.
      {"object texture page", [](auto& L) { L.object_textures[2].tile = 1; }, "texture-page",
       "texture 2"},
      {"triangle piece flag", [](auto& L) { L.object_textures[2].tile = 0x8000; }, nullptr},
      {"sprite texture page", [](auto& L) { L.sprite_textures[0].raw[0] = 1; }, "sprite-page",
       "sprite texture 0"},
      {"sprite sequence", [](auto& L) { Put<int16_t>(L.sprite_sequences[0].raw, 4, -2); },
       "sprite-sequence", "sprite sequence 0"},
      {"animated texture index", [](auto& L) { L.animated_textures[3] = 3; }, "animated-texture",
       "animated texture group 0"},
      {"animated texture group past the list", [](auto& L) { L.animated_textures[0] = 2; },
       "animated-texture", "animated texture group 1"},
      // Boxes.
      {"box overlap index", [](auto& L) { Box1Overlaps(L)[0] = 1; }, "box-overlap", "box 1"},
      {"blocked box", [](auto& L) { Box1Overlaps(L)[1] = 0xC0; }, nullptr},
      {"overlap list without an end", [](auto& L) {
         L.overlaps = {kLast | 1, 0};
         Box1Overlaps(L)[0] = 1;
       }, "box-overlap", "box 1"},
      {"overlap names a missing box", [](auto& L) { L.overlaps = {kLast | 2}; }, "overlap-box",
       "overlap 0"},
      {"overlap flags", [](auto& L) { L.overlaps = {kLast | 0x2801}; }, nullptr},
      {"zone array short", [](auto& L) { L.zones[9].resize(1); }, "zone-count", "zone array 9"},
      // Cameras.
      {"shown camera's room", [](auto& L) {
         Put<int16_t>(L.cameras[1].raw, 12, 2);
         SetFloorList(L, {Fn(4, 0, true), 0, Cmd(1, 1), kLast});
       }, "camera-room", "camera 1"},
      {"unused camera's room", [](auto& L) { Put<int16_t>(L.cameras[1].raw, 12, 2); },
       "camera-unused-room", "camera 1", kW},
      {"underwater current's strength", [](auto& L) {
         Put<int16_t>(L.cameras[1].raw, 12, 40);
         SetFloorList(L, {Fn(4, 0, true), 0, Cmd(2, 1, true)});
       }, nullptr},
      {"flyby camera's room", [](auto& L) { Put<uint32_t>(L.flyby_cameras[0].raw, 36, 2); },
       "flyby-room", "flyby camera 0", kE, kTR4},
      // Sound.
      {"sound map entry", [](auto& L) { L.word_table[2] = 1; }, "sound-map", "sound map entry 1"},
      {"sound map entry below -1", [](auto& L) { Put<int16_t>(L.word_table.data(), 4, -5); },
       "sound-map", "sound map entry 2"},
      {"sound map entry -1", [](auto& L) { Put<int16_t>(L.word_table.data(), 4, -1); }, nullptr},
      {"sound source", [](auto& L) {
         Put<uint16_t>(L.sound_sources[0].raw, 12, L.version_kind < kTR2 ? 256 : 450);
       }, "sound-source", "sound source 0"},
      {"sound source in a TR5 sound map",
       [](auto& L) { Put<uint16_t>(L.sound_sources[0].raw, 12, 449); }, nullptr, "", kE, kTR5},
      {"sound source in an extended sound map", [](auto& L) {
         L.extended_word_table.assign(1024, 0xFFFF);
         L.byte_list.clear();
         Put<uint16_t>(L.sound_sources[0].raw, 12, 1000);
       }, nullptr, "", kE, kTR4, kTR4},
      {"sound detail sample", [](auto& L) { L.records8[0].raw[0] = 1; }, "sound-sample",
       "sound detail 0"},
      {"sound detail's samples", [](auto& L) { L.records8[0].raw[6] = 2 << 2; }, "sound-sample",
       "sound detail 0"},
  };
  return rows;
}

std::string Describe(const std::vector<Problem>& problems) {
  std::string s;
  for (const Problem& p : problems) s += "\n  " + std::string(p.code) + " " + p.message;
  return s;
}

TEST(CheckLevel, EachBrokenReferenceIsFoundWhereItIs) {
  for (const Breakage& row : Breakages()) {
    for (int32_t kind = row.first_kind; kind <= row.last_kind; ++kind) {
      SCOPED_TRACE(std::string(row.name) + ", " + GenerationName(kind));
      Ttrlevel L = CleanLevel(kind);
      row.breaks(L);
      const auto problems = CheckLevel(L);
      if (!row.code) {
        EXPECT_TRUE(problems.empty()) << Describe(problems);
        continue;
      }
      ASSERT_EQ(problems.size(), 1u) << Describe(problems);
      const Problem& p = problems[0];
      EXPECT_EQ(p.code, row.code);
      EXPECT_EQ(p.severity, row.severity);
      EXPECT_EQ(PlaceText(p.where), row.where);
      EXPECT_EQ(p.message.rfind(std::string(row.where) + ": ", 0), 0u) << p.message;
    }
  }
}

TEST(CheckLevel, SentencesNameTheRecordAndWhatTheLevelHas) {
  Ttrlevel L = CleanLevel(kTR4);
  L.items2[0].room = 77;
  L.movables[0].animation = 9;
  L.rooms[1].sectors[5].box_index = 5 << 4;
  const auto problems = CheckLevel(L);
  EXPECT_EQ(Describe(problems),
            "\n  sector-box column 2, row 3 of room 1: box 5 does not exist; the level has 2 boxes"
            "\n  item-room item 0: room 77 does not exist; the level has 2 rooms"
            "\n  movable-animation movable 0 (object ID 0): animation 9 does not exist; the level "
            "has 2 animations");
  EXPECT_EQ(problems[0].where, (ProblemPlace{PlaceKind::kSector, -1, 1, 1, 2, -1}));
  EXPECT_EQ(CountProblems(problems, Severity::kError), 3u);
}

TEST(CheckLevel, ALevelWithEveryTableEmptyHasNoProblems) {
  Ttrlevel L;
  L.version_kind = kTR4;
  L.word_table.fill(0xFF);  // no sounds
  EXPECT_TRUE(CheckLevel(L).empty()) << Describe(CheckLevel(L));
}

}  // namespace
}  // namespace qavel
