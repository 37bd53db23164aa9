// Meshes, movables, static meshes and animations: the offsets and indices that tie them to the
// mesh data, mesh pointers, mesh trees, frames and the animation tables.

#include <algorithm>
#include <unordered_set>

#include "check/check_rules.h"

namespace qavel::check {

namespace {

// A word cursor over the mesh data that never reads past its end; `cut` tells whether the
// mesh needed more words than there are.
class MeshWords {
 public:
  MeshWords(const std::vector<uint16_t>& words, size_t pos) : w_(words), pos_(pos) {}
  uint16_t Word() {
    if (pos_ < w_.size()) return w_[pos_++];
    cut_ = true;
    return 0;
  }
  // A count the file stores as a signed word; negative counts hold nothing.
  size_t Count() { return static_cast<size_t>(std::max<int16_t>(0, static_cast<int16_t>(Word()))); }
  void Skip(size_t words) {
    if (words > Left()) cut_ = true;
    pos_ = std::min(w_.size(), pos_ + std::min(words, Left()));
  }
  // Whether `count` records of `size` words still fit; marks the mesh cut when not.
  bool Fits(size_t count, size_t size) {
    if (count * size <= Left()) return true;
    cut_ = true;
    return false;
  }
  size_t pos() const { return pos_; }
  bool cut() const { return cut_; }

 private:
  size_t Left() const { return w_.size() - std::min(pos_, w_.size()); }
  const std::vector<uint16_t>& w_;
  size_t pos_;
  bool cut_ = false;
};

struct FaceGroup {
  const char* name;
  int corners;
  bool textured;
};

constexpr FaceGroup kFaceGroups[] = {{"textured rectangle", 4, true},
                                     {"textured triangle", 3, true},
                                     {"coloured rectangle", 4, false},
                                     {"coloured triangle", 3, false}};

// One face of a mesh as read: its group, its number in the group, corners and texture word.
struct MeshFace {
  const FaceGroup* group;
  size_t number;
  uint16_t corner[4];
  uint16_t texture;
};

// Reads the mesh at word `pos` as the game does: centre and radius, vertices, normals or
// lights, then the faces of each group (TR4 and TR5 faces carry an effects word and there are
// no coloured ones); each face goes to `face` with the mesh's vertex count. Afterwards `in`
// stands after the mesh, padded to whole 4 bytes as meshes are laid out.
template <class OnFace>
void ReadMesh(MeshWords& in, bool tr4, OnFace&& face) {
  const size_t start = in.pos();
  in.Skip(5);  // centre and radius
  const size_t vertices = in.Count();
  if (in.Fits(vertices, 3)) in.Skip(3 * vertices);
  const auto normals = static_cast<int16_t>(in.Word());
  in.Skip(normals > 0 ? 3 * size_t(normals) : size_t(-int32_t{normals}));
  for (const FaceGroup& g : kFaceGroups) {
    if (in.cut() || (tr4 && !g.textured)) break;
    const size_t count = in.Count();
    const size_t size = g.corners + 1 + (tr4 ? 1 : 0);
    if (!in.Fits(count, size)) break;
    for (size_t k = 0; k < count; ++k) {
      MeshFace f{&g, k, {}, 0};
      for (int c = 0; c < g.corners; ++c) f.corner[c] = in.Word();
      f.texture = in.Word();
      if (tr4) in.Word();  // the effects word
      face(f, vertices);
    }
  }
  if (!in.cut() && (in.pos() - start) % 2 != 0) in.Skip(1);
}

// Word positions where the meshes of the block start, read one after the other.
std::vector<uint8_t> MeshStarts(const Ttrlevel& level) {
  std::vector<uint8_t> starts(level.mesh_data.size(), 0);
  MeshWords in(level.mesh_data, 0);
  while (!in.cut() && in.pos() < level.mesh_data.size()) {
    starts[in.pos()] = 1;
    ReadMesh(in, level.version_kind >= kTR4, [](const MeshFace&, size_t) {});
  }
  return starts;
}

// The mesh at byte `offset`: faces name the mesh's own vertices and (textured ones) an object
// texture, bit 15 being the double-sided flag.
void CheckMeshAt(const Ttrlevel& level, size_t pointer, uint32_t offset,
                 const std::vector<uint8_t>& starts, Findings& out) {
  const ProblemPlace at = TablePlace(PlaceKind::kMesh, pointer);
  const uint64_t bytes = 2 * uint64_t{level.mesh_data.size()};
  if (offset >= bytes) {
    out.Error("mesh-pointer", at,
              "pointer " + std::to_string(offset) + " lies beyond the " +
                  Plural(bytes, "byte", "bytes") + " of mesh data");
    return;
  }
  if (offset % 2 != 0) {
    out.Error("mesh-pointer", at,
              "pointer " + std::to_string(offset) + " is odd; meshes start on whole words");
    return;
  }
  if (!starts[offset / 2])
    out.Warning("mesh-start", at,
                "pointer " + std::to_string(offset) +
                    " does not point at the start of a mesh when the meshes are read one "
                    "after the other");
  const size_t textures = level.object_textures.size();
  bool vertex_told = false, texture_told = false;
  MeshWords in(level.mesh_data, offset / 2);
  ReadMesh(in, level.version_kind >= kTR4, [&](const MeshFace& f, size_t vertices) {
    // Named only when told: most faces have nothing to tell.
    auto face = [&f] { return std::string(f.group->name) + " " + std::to_string(f.number); };
    for (int c = 0; c < f.group->corners && !vertex_told; ++c) {
      if (f.corner[c] < vertices) continue;
      out.Error("mesh-face-vertex", at,
                face() + " names vertex " + std::to_string(f.corner[c]) + "; the mesh has " +
                    Plural(vertices, "vertex", "vertices"));
      vertex_told = true;
    }
    if (f.group->textured && !texture_told && (f.texture & 0x7FFF) >= textures) {
      out.Error("mesh-face-texture", at,
                face() + " names texture " + std::to_string(f.texture & 0x7FFF) + "; " +
                    LevelHas(textures, "object texture", "object textures"));
      texture_told = true;
    }
  });
  if (in.cut())
    out.Error("mesh-end", at,
              "the mesh at byte " + std::to_string(offset) + " runs past the end of the " +
                  Plural(bytes, "byte", "bytes") + " of mesh data");
}

// Animation record fields (the model's 40-byte form).
struct AnimationFields {
  uint32_t frame_offset;
  uint8_t frame_rate, frame_size;
  uint16_t frame_start, frame_end, next_animation, next_frame;
  uint16_t state_change_count, state_change_offset;
  uint16_t command_count, command_offset;
};

AnimationFields ReadAnimation(const tanimation& a) {
  return {Field<uint32_t>(a.raw, 0),  Field<uint8_t>(a.raw, 4),   Field<uint8_t>(a.raw, 5),
          Field<uint16_t>(a.raw, 24), Field<uint16_t>(a.raw, 26), Field<uint16_t>(a.raw, 28),
          Field<uint16_t>(a.raw, 30), Field<uint16_t>(a.raw, 32), Field<uint16_t>(a.raw, 34),
          Field<uint16_t>(a.raw, 36), Field<uint16_t>(a.raw, 38)};
}

// Operand words of each animation command; commands the games do not know take none.
size_t CommandOperands(uint16_t command) {
  switch (command) {
    case 1:
      return 3;  // set position
    case 2:
    case 5:
    case 6:
      return 2;  // jump distance, play sound, flip effect
    default:
      return 0;
  }
}

void CheckAnimationCommands(const Ttrlevel& level, size_t k, const AnimationFields& a,
                            Findings& out) {
  const auto& words = level.anim_commands;
  const ProblemPlace at = TablePlace(PlaceKind::kAnimation, k);
  auto past = [&words] {
    return "its commands run past the end of the " +
           Plural(words.size(), "anim command word", "anim command words");
  };
  size_t pos = a.command_offset;
  const size_t sound_map = SoundMapSize(level);
  for (size_t c = 0; c < a.command_count; ++c) {
    if (pos >= words.size()) {
      out.Error("animation-commands", at, past());
      return;
    }
    const uint16_t command = words[pos++];
    const size_t operands = CommandOperands(command);
    if (operands > words.size() - pos) {
      out.Error("animation-commands", at, past());
      return;
    }
    if (command == 5) {
      // Play sound: a frame number, then the sound id in the low 14 bits.
      const uint16_t sound = words[pos + 1] & 0x3FFF;
      if (sound >= sound_map)
        out.Error("animation-sound", at,
                  "a sound command names sound " + std::to_string(sound) + "; the sound map has " +
                      Plural(sound_map, "entry", "entries"));
    }
    pos += operands;
  }
}

// The animation's key frames lie inside the frames table: its first one always, and from TR2 on,
// where the record gives the frame size, every key frame from its first frame to its last.
void CheckAnimationFrames(const Ttrlevel& level, size_t k, const AnimationFields& a,
                          Findings& out) {
  const uint64_t words = level.frames.size();
  const uint64_t first = a.frame_offset / 2;
  auto table = [words] { return Plural(2 * words, "byte", "bytes") + " of frames"; };
  const ProblemPlace at = TablePlace(PlaceKind::kAnimation, k);
  if (first >= words) {
    out.Error("animation-frame", at,
              "frame offset " + std::to_string(a.frame_offset) + " lies beyond the " + table());
    return;
  }
  if (level.version_kind < kTR2 || a.frame_size == 0 || a.frame_end < a.frame_start) return;
  const uint64_t keys = (a.frame_end - a.frame_start) / std::max<uint8_t>(a.frame_rate, 1) + 1;
  if (first + keys * a.frame_size > words)
    out.Error("animation-frame", at,
              "its " + Plural(keys, "key frame", "key frames") + " of " +
                  Plural(a.frame_size, "word", "words") + " from frame offset " +
                  std::to_string(a.frame_offset) + " run past the end of the " + table());
}

}  // namespace

void CheckMeshes(const Ttrlevel& level, Findings& out) {
  // Many pointers share a mesh; each mesh is read once.
  const std::vector<uint8_t> starts = MeshStarts(level);
  std::unordered_set<uint32_t> seen;
  for (size_t p = 0; p < level.mesh_pointers.size(); ++p)
    if (seen.insert(level.mesh_pointers[p]).second)
      CheckMeshAt(level, p, level.mesh_pointers[p], starts, out);

  for (size_t s = 0; s < level.static_meshes.size(); ++s) {
    const tstatic_mesh& m = level.static_meshes[s];
    if (m.mesh < level.mesh_pointers.size()) continue;
    ProblemPlace at = TablePlace(PlaceKind::kStaticMesh, s);
    at.object_id = m.object_id;
    out.Error("static-mesh-pointer", at,
              "mesh " + std::to_string(m.mesh) + " does not exist; " +
                  LevelHas(level.mesh_pointers.size(), "mesh pointer", "mesh pointers"));
  }
}

void CheckMovables(const Ttrlevel& level, Findings& out) {
  const uint64_t pointers = level.mesh_pointers.size();
  const uint64_t trees = level.mesh_trees.size();
  for (size_t m = 0; m < level.movables.size(); ++m) {
    const tmovable& mv = level.movables[m];
    const ProblemPlace at = MovablePlace(level, m);
    const uint64_t last_mesh = uint64_t{mv.start_mesh} + mv.num_meshes;
    if (mv.num_meshes > 0 && last_mesh > pointers)
      out.Error("movable-meshes", at,
                "meshes " + std::to_string(mv.start_mesh) + " to " + std::to_string(last_mesh - 1) +
                    " reach beyond the mesh pointers; " +
                    LevelHas(pointers, "mesh pointer", "mesh pointers"));
    // Every mesh after the first has four words in the tree: flags and an offset.
    const uint64_t tree_end = uint64_t{mv.mesh_tree} + 4 * uint64_t{mv.num_meshes - 1u};
    if (mv.num_meshes > 1 && tree_end > trees)
      out.Error("movable-mesh-tree", at,
                "its mesh tree at " + std::to_string(mv.mesh_tree) + " needs " +
                    Plural(4 * uint64_t{mv.num_meshes - 1u}, "word", "words") +
                    " and runs past the end of the " +
                    Plural(trees, "mesh-tree word", "mesh-tree words"));
    if (mv.animation == 0xFFFF) continue;  // no animations
    if (mv.animation >= level.animations.size())
      out.Error("movable-animation", at,
                "animation " + std::to_string(mv.animation) + " does not exist; " +
                    LevelHas(level.animations.size(), "animation", "animations"));
    if (uint64_t{mv.frame_offset} / 2 >= level.frames.size())
      out.Error("movable-frame", at,
                "frame offset " + std::to_string(mv.frame_offset) + " lies beyond the " +
                    Plural(2 * uint64_t{level.frames.size()}, "byte", "bytes") + " of frames");
  }
}

void CheckAnimations(const Ttrlevel& level, Findings& out) {
  const size_t animations = level.animations.size();
  for (size_t k = 0; k < animations; ++k) {
    const AnimationFields a = ReadAnimation(level.animations[k]);
    const ProblemPlace at = TablePlace(PlaceKind::kAnimation, k);
    CheckAnimationFrames(level, k, a, out);
    if (a.next_animation >= animations)
      out.Error("animation-next", at,
                "next animation " + std::to_string(a.next_animation) + " does not exist; " +
                    LevelHas(animations, "animation", "animations"));
    if (a.state_change_count > 0 &&
        size_t{a.state_change_offset} + a.state_change_count > level.state_changes.size())
      out.Error("animation-state-changes", at,
                "state changes " + std::to_string(a.state_change_offset) + " to " +
                    std::to_string(a.state_change_offset + a.state_change_count - 1) +
                    " reach beyond the table; " +
                    LevelHas(level.state_changes.size(), "state change", "state changes"));
    if (a.command_count > 0) CheckAnimationCommands(level, k, a, out);
  }
  for (size_t s = 0; s < level.state_changes.size(); ++s) {
    const auto& raw = level.state_changes[s].raw;
    const uint16_t count = Field<uint16_t>(raw, 2), first = Field<uint16_t>(raw, 4);
    if (count > 0 && size_t{first} + count > level.anim_dispatches.size())
      out.Error("state-change-dispatches", TablePlace(PlaceKind::kStateChange, s),
                "anim dispatches " + std::to_string(first) + " to " +
                    std::to_string(first + count - 1) + " reach beyond the table; " +
                    LevelHas(level.anim_dispatches.size(), "anim dispatch", "anim dispatches"));
  }
  for (size_t d = 0; d < level.anim_dispatches.size(); ++d) {
    const uint16_t next = Field<uint16_t>(level.anim_dispatches[d].raw, 4);
    if (next >= animations)
      out.Error("dispatch-animation", TablePlace(PlaceKind::kAnimDispatch, d),
                "next animation " + std::to_string(next) + " does not exist; " +
                    LevelHas(animations, "animation", "animations"));
  }
}

}  // namespace qavel::check
