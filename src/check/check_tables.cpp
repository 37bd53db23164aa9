// Textures and sprites, boxes and overlaps, cameras, and the sound tables.

#include <algorithm>

#include "check/check_rules.h"

namespace qavel::check {

namespace {

std::string PagesText(const Ttrlevel& level) {
  return LevelHas(level.num_pages, "texture page", "texture pages");
}

void CheckAnimatedTextures(const Ttrlevel& level, Findings& out) {
  const auto& w = level.animated_textures;
  if (w.empty()) return;
  const size_t textures = level.object_textures.size();
  size_t pos = 1;
  for (size_t g = 0; g < w[0]; ++g) {
    const ProblemPlace at = TablePlace(PlaceKind::kAnimatedTextures, g);
    // A group is its size less one, then that many object-texture numbers plus one.
    const size_t n = pos < w.size() ? size_t{w[pos]} + 1 : 0;
    if (pos >= w.size() || n > w.size() - pos - 1) {
      out.Error("animated-texture", at,
                "the group runs past the end of the " + Plural(w.size(), "word", "words") +
                    " of animated textures");
      return;
    }
    ++pos;
    for (size_t k = 0; k < n; ++k, ++pos) {
      if (w[pos] < textures) continue;
      out.Error("animated-texture", at,
                "texture " + std::to_string(w[pos]) + " does not exist; " +
                    LevelHas(textures, "object texture", "object textures"));
    }
  }
}

// The overlap index of a box: bits 14 and 15 are the blocked and blockable flags, and an index
// with every bit set is a box without overlaps.
uint16_t OverlapIndex(const Ttrlevel& level, size_t box) {
  const uint16_t word = level.version_kind < kTR2 ? Field<uint16_t>(level.boxes1[box].raw, 18)
                                                  : Field<uint16_t>(level.boxes2[box].raw, 6);
  return word & 0x3FFF;
}

// The box an overlap entry names, in its low 11 bits: bit 15 ends a box's list, and TR4 and
// TR5 keep flags in bits 11 to 14. Earlier games may count boxes in those bits too; reading 11
// bits there can miss a fault in a level of more than 2048 boxes, but never calls a right one
// wrong.
uint16_t OverlapBox(uint16_t word) {
  return word & 0x7FF;
}

}  // namespace

void CheckTextures(const Ttrlevel& level, Findings& out) {
  for (size_t t = 0; t < level.object_textures.size(); ++t) {
    // Bit 15 marks a triangle in TR4 and TR5; the page is in the bits below.
    const uint16_t page = level.object_textures[t].tile & 0x7FFF;
    if (page >= level.num_pages)
      out.Error("texture-page", TablePlace(PlaceKind::kObjectTexture, t),
                "page " + std::to_string(page) + " does not exist; " + PagesText(level));
  }
  for (size_t t = 0; t < level.sprite_textures.size(); ++t) {
    const uint16_t page = Field<uint16_t>(level.sprite_textures[t].raw, 0);
    if (page >= level.num_pages)
      out.Error("sprite-page", TablePlace(PlaceKind::kSpriteTexture, t),
                "page " + std::to_string(page) + " does not exist; " + PagesText(level));
  }
  for (size_t s = 0; s < level.sprite_sequences.size(); ++s) {
    const auto& raw = level.sprite_sequences[s].raw;
    // The count is stored negated.
    const int64_t count = -int64_t{Field<int16_t>(raw, 4)};
    const int64_t first = Field<int16_t>(raw, 6);
    if (count <= 0) continue;
    if (first < 0 || first + count > static_cast<int64_t>(level.sprite_textures.size()))
      out.Error("sprite-sequence", TablePlace(PlaceKind::kSpriteSequence, s),
                "sprite textures " + std::to_string(first) + " to " +
                    std::to_string(first + count - 1) + " do not all exist; " +
                    LevelHas(level.sprite_textures.size(), "sprite texture", "sprite textures"));
  }
  CheckAnimatedTextures(level, out);
}

void CheckBoxes(const Ttrlevel& level, Findings& out) {
  const size_t boxes = level.num_boxes();
  const auto& overlaps = level.overlaps;
  for (size_t b = 0; b < boxes; ++b) {
    const uint16_t first = OverlapIndex(level, b);
    if (first == 0x3FFF) continue;
    const ProblemPlace at = TablePlace(PlaceKind::kBox, b);
    if (first >= overlaps.size()) {
      out.Error("box-overlap", at,
                "overlap " + std::to_string(first) + " does not exist; " +
                    LevelHas(overlaps.size(), "overlap", "overlaps"));
      continue;
    }
    size_t k = first;
    while (k < overlaps.size() && (overlaps[k] & 0x8000) == 0) ++k;
    if (k == overlaps.size())
      out.Error("box-overlap", at,
                "its overlap list at " + std::to_string(first) +
                    " runs past the end of the overlaps without an end mark");
  }
  for (size_t k = 0; k < overlaps.size(); ++k) {
    const uint16_t box = OverlapBox(overlaps[k]);
    if (box >= boxes)
      out.Error(
          "overlap-box", TablePlace(PlaceKind::kOverlap, k),
          "box " + std::to_string(box) + " does not exist; " + LevelHas(boxes, "box", "boxes"));
  }
  // TR1 files hold zone arrays 1, 2, 5, 6, 7 and 10; the others all ten.
  static constexpr int kTr1Arrays[] = {0, 1, 4, 5, 6, 9};
  for (int a = 0; a < 10; ++a) {
    if (level.version_kind < kTR2 &&
        std::find(std::begin(kTr1Arrays), std::end(kTr1Arrays), a) == std::end(kTr1Arrays))
      continue;
    if (level.zones[a].size() != boxes)
      out.Error("zone-count", TablePlace(PlaceKind::kZones, a),
                "it holds " + Plural(level.zones[a].size(), "entry", "entries") +
                    " where the level has " + Plural(boxes, "box", "boxes"));
  }
}

void CheckCameras(const Ttrlevel& level, const std::vector<uint8_t>& use, Findings& out) {
  const size_t rooms = level.rooms.size();
  for (size_t c = 0; c < level.cameras.size(); ++c) {
    const int16_t room = Field<int16_t>(level.cameras[c].raw, 12);
    if (room >= 0 && static_cast<size_t>(room) < rooms) continue;
    const ProblemPlace at = TablePlace(PlaceKind::kCamera, c);
    const std::string text =
        "room " + std::to_string(room) + " does not exist; " + LevelHas(rooms, "room", "rooms");
    // An underwater current keeps its strength where a camera keeps its room.
    if (use[c] & kCameraShown)
      out.Error("camera-room", at, text);
    else if (use[c] == kCameraUnused)
      out.Warning("camera-unused-room", at, text + "; no trigger shows the camera");
  }
  for (size_t f = 0; f < level.flyby_cameras.size(); ++f) {
    const uint32_t room = Field<uint32_t>(level.flyby_cameras[f].raw, 36);
    if (room >= rooms)
      out.Error(
          "flyby-room", TablePlace(PlaceKind::kFlybyCamera, f),
          "room " + std::to_string(room) + " does not exist; " + LevelHas(rooms, "room", "rooms"));
  }
}

void CheckSound(const Ttrlevel& level, Findings& out) {
  const size_t map = SoundMapSize(level);
  const size_t details = level.records8.size();
  for (size_t id = 0; id < map; ++id) {
    // -1 is no sound; the games take any other number as a sound detail.
    const int entry = SoundMapEntry(level, id);
    if (entry != -1 && (entry < 0 || static_cast<size_t>(entry) >= details))
      out.Error("sound-map", TablePlace(PlaceKind::kSoundMap, id),
                "sound detail " + std::to_string(entry) + " does not exist; " +
                    LevelHas(details, "sound detail", "sound details"));
  }
  for (size_t s = 0; s < level.sound_sources.size(); ++s) {
    const uint16_t id = Field<uint16_t>(level.sound_sources[s].raw, 12);
    if (id >= map)
      out.Error("sound-source", TablePlace(PlaceKind::kSoundSource, s),
                "sound " + std::to_string(id) + " lies beyond the " +
                    Plural(map, "entry", "entries") + " of the sound map");
  }
  const size_t samples = level.index_list.size();
  for (size_t d = 0; d < details; ++d) {
    const auto& raw = level.records8[d].raw;
    const uint16_t first = Field<uint16_t>(raw, 0);
    // Bits 2 to 5 of the last word count the samples the game picks from.
    const size_t count = std::max<size_t>(1, (Field<uint16_t>(raw, 6) >> 2) & 0x0F);
    if (size_t{first} + count > samples)
      out.Error("sound-sample", TablePlace(PlaceKind::kSoundDetail, d),
                "samples " + std::to_string(first) + " to " + std::to_string(first + count - 1) +
                    " do not all exist; " + LevelHas(samples, "sample", "samples"));
  }
}

}  // namespace qavel::check
