#include "level/level_reader.h"

#include <cstring>
#include <optional>

#include "level/byte_reader.h"
#include "level/trc_room.h"
#include "level/zfile.h"

namespace qavel {

namespace {

bool NameHas(const std::string& name, const char* upper, const char* lower) {
  return name.find(upper) != std::string::npos || name.find(lower) != std::string::npos;
}

std::string BaseName(const std::string& path) {
  const auto slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

class Reader {
 public:
  Reader(Ttrlevel& level, const std::string& name, const Progress& progress)
      : L(level), name_(BaseName(name)), progress_(progress) {}

  void Parse(const SharedBlock& file);

 private:
  void Report(int percent) const { ReportProgress(progress_, percent); }
  // The next n bytes of r, kept without a copy: r reads source_.
  SharedBlock Keep(const ByteReader& r, size_t n) const {
    return source_.Slice(static_cast<size_t>(r.Here() - source_.bytes()), n);
  }
  void TexturePages(ByteReader& r);
  Ttrlevel::Origin::Chunk PackedChunk(ByteReader& r, const char* what);
  void Rooms(ByteReader& r, uint32_t count);
  void ClassicRoom(ByteReader& r, troom& room);
  void Tables(ByteReader& r, size_t end);
  void ObjectTextures(ByteReader& r, size_t file_record);
  void SoundTables(ByteReader& r, size_t end);
  template <class T>
  void Counted32(ByteReader& r, const char* section, std::vector<T>& v, size_t record = sizeof(T)) {
    r.SetSection(section);
    v.clear();
    r.Array(v, r.Get<uint32_t>(), record);
  }

  Ttrlevel& L;
  std::string name_;
  const Progress& progress_;
  SharedBlock source_;  // the bytes the level data is read from
  int kind_ = 0;
};

void Reader::Parse(const SharedBlock& file) {
  kind_ = L.version_kind;
  source_ = file;
  ByteReader r(file.bytes(), file.size(), name_);
  r.SetSection("version word");
  L.version = r.Get<uint32_t>();

  if (kind_ >= kTR4) {
    TexturePages(r);
    Report(40);
  }

  if (kind_ == kTR4) {
    r.SetSection("level data chunk");
    L.origin.level_data = PackedChunk(r, "level data");
    r.SetSection("sample count");
    L.tail_count = r.Get<uint32_t>();
    L.tail_data = Keep(r, r.Left());
    Report(50);
    source_ = L.origin.level_data.unpacked;
    ByteReader d(source_.bytes(), source_.size(), name_ + ", level data");
    d.SetSection("header");
    L.reserved_dword = d.Get<uint32_t>();
    Rooms(d, d.Get<uint16_t>());
    Tables(d, source_.size());
    return;
  }

  if (kind_ >= kTR2 && kind_ <= kTR3) {
    r.SetSection("palette");
    r.Copy(L.palette.data(), sizeof L.palette);
    r.Copy(L.palette16.data(), L.palette16.size());
  }
  if (kind_ <= kTR3) {
    Report(30);
    r.SetSection("texture pages");
    L.num_pages = r.Get<uint32_t>();
    const uint64_t page_bytes = kind_ >= kTR2 ? 65536 + 131072 : 65536;
    if (uint64_t{L.num_pages} * page_bytes > r.Left())
      r.Fail("count " + std::to_string(L.num_pages) + " of texture pages needs " +
             std::to_string(uint64_t{L.num_pages} * page_bytes) + " bytes but only " +
             std::to_string(r.Left()) + " are left");
    const size_t n8 = size_t{L.num_pages} * 65536;
    L.pages8 = Keep(r, n8);
    r.Skip(n8);
    if (kind_ >= kTR2) {
      const size_t n16 = size_t{L.num_pages} * 131072;
      L.pages16 = Keep(r, n16);
      r.Skip(n16);
    }
    Report(50);
    r.SetSection("header");
    L.reserved_dword = r.Get<uint32_t>();
    Rooms(r, r.Get<uint16_t>());
    Tables(r, file.size());
    return;
  }

  // TR5: the level data follows the texture chunks unpacked; the samples follow it.
  r.SetSection("TR5 header");
  r.Copy(L.trc_header.data(), L.trc_header.size());
  L.trc_level_data_size = r.Get<uint32_t>();
  L.trc_level_data_size2 = r.Get<uint32_t>();
  if (L.trc_level_data_size > r.Left())
    r.Fail("level data size " + std::to_string(L.trc_level_data_size) + " exceeds the " +
           std::to_string(r.Left()) + " bytes left");
  const size_t tail_position = r.Position() + L.trc_level_data_size;
  L.reserved_dword = r.Get<uint32_t>();
  const uint32_t room_count = r.Get<uint32_t>();
  L.trc_room_count_high = static_cast<uint16_t>(room_count >> 16);
  ByteReader d(file.bytes(), tail_position, name_);
  d.Seek(r.Position());
  Rooms(d, room_count & 0xFFFF);
  Tables(d, tail_position);
  r.Seek(tail_position);
  r.SetSection("sample count");
  L.tail_count = r.Get<uint32_t>();
  L.tail_data = Keep(r, r.Left());
}

Ttrlevel::Origin::Chunk Reader::PackedChunk(ByteReader& r, const char* what) {
  r.SetSection(std::string(what) + " chunk");
  Ttrlevel::Origin::Chunk c;
  c.size_word = r.Get<uint32_t>();
  const uint32_t packed = r.Get<uint32_t>();
  if (packed > r.Left())
    r.Fail("packed size " + std::to_string(packed) + " exceeds the " + std::to_string(r.Left()) +
           " bytes left");
  c.packed = Keep(r, packed);
  auto unpacked = UnpackBlock(r.Here(), packed, c.size_word);
  if (!unpacked) r.Fail(unpacked.message());
  c.unpacked = std::move(*unpacked);
  r.Skip(packed);
  return c;
}

void Reader::TexturePages(ByteReader& r) {
  r.SetSection("page counts");
  for (auto& w : L.page_counts) w = r.Get<uint16_t>();
  L.origin.pages32 = PackedChunk(r, "32-bit pages");
  L.pages32 = L.origin.pages32.unpacked;
  Report(20);
  L.origin.pages16 = PackedChunk(r, "16-bit pages");
  L.pages16 = L.origin.pages16.unpacked;
  Report(30);
  L.origin.misc_pages = PackedChunk(r, "third texture");
  L.misc_pages = L.origin.misc_pages.unpacked;
  L.num_pages = static_cast<uint32_t>(L.pages16.size() / 131072);
}

void Reader::Rooms(ByteReader& r, uint32_t count) {
  // The smallest room a file can hold: its header, empty lists and their counts.
  const uint64_t smallest = kind_ == kTR5 ? kTrcRoomHeaderSize + 4 : 46;
  if (count * smallest > r.Left())
    r.Fail("count " + std::to_string(count) + " of rooms needs at least " +
           std::to_string(count * smallest) + " bytes but only " + std::to_string(r.Left()) +
           " are left");
  L.rooms.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    r.SetSection("room " + std::to_string(i));
    if (kind_ == kTR5)
      ReadTrcRoom(r, L.rooms[i]);
    else
      ClassicRoom(r, L.rooms[i]);
    Report(50 + static_cast<int>((i + 1) * 30 / count));
  }
  Report(80);
}

void Reader::ClassicRoom(ByteReader& r, troom& room) {
  room.x = r.Get<int32_t>();
  room.z = r.Get<int32_t>();
  room.y_bottom = r.Get<int32_t>();
  room.y_top = r.Get<int32_t>();
  room.num_data_words = r.Get<uint32_t>();
  if (kind_ < kTR2)
    r.Array(room.vertices1, r.Get<uint16_t>(), sizeof(tvertex1), RoomCapacity::vertices);
  else
    r.Array(room.vertices2, r.Get<uint16_t>(), sizeof(tvertex2), RoomCapacity::vertices);
  r.Array(room.rectangles, r.Get<uint16_t>(), sizeof(trectangle), RoomCapacity::rectangles);
  r.Array(room.triangles, r.Get<uint16_t>(), sizeof(ttriangle), RoomCapacity::triangles);
  r.Array(room.sprites, r.Get<uint16_t>(), sizeof(tsprite), RoomCapacity::sprites);
  r.Array(room.portals, r.Get<uint16_t>(), sizeof(tportal), RoomCapacity::portals);
  room.num_z_sectors = r.Get<uint16_t>();
  room.num_x_sectors = r.Get<uint16_t>();
  r.Array(room.sectors, uint64_t{room.num_z_sectors} * room.num_x_sectors, sizeof(tsector),
          RoomCapacity::sectors);
  r.Copy(room.ambient.data(), 2);
  if (kind_ >= kTR2) room.ambient2 = r.Get<uint16_t>();
  if (kind_ == kTR2 || kind_ == kTR2Trg) room.light_mode = r.Get<uint16_t>();
  const uint16_t lights = r.Get<uint16_t>();
  if (kind_ < kTR2)
    r.Array(room.lights1, lights, sizeof(tlight1), RoomCapacity::lights);
  else if (kind_ < kTR4)
    r.Array(room.lights2, lights, sizeof(tlight2), RoomCapacity::lights);
  else
    r.Array(room.lights4, lights, sizeof(tlight4), RoomCapacity::lights);
  const uint16_t statics = r.Get<uint16_t>();
  if (kind_ < kTR2)
    r.Array(room.statics1, statics, sizeof(tstatic1), RoomCapacity::static_instances);
  else
    r.Array(room.statics2, statics, sizeof(tstatic2), RoomCapacity::static_instances);
  room.alternate_room = r.Get<int16_t>();
  room.flags = r.Get<uint16_t>();
  if (kind_ >= kTR3) r.Copy(room.room_extra.data(), 3);
  DeriveRoomForms(room, kind_);
}

void Reader::ObjectTextures(ByteReader& r, size_t file_record) {
  r.SetSection("object textures");
  const uint32_t count = r.Get<uint32_t>();
  if (file_record != 20) {
    r.Array(L.object_textures, count, file_record);
    return;
  }
  // The short form has no tex_flags between the tile and the corners.
  std::vector<std::array<uint8_t, 20>> raw;
  r.Array(raw, count, 20);
  L.object_textures.assign(count, tobject_texture{});
  for (size_t i = 0; i < count; ++i) {
    auto& t = L.object_textures[i];
    std::memcpy(&t.attribute, raw[i].data(), 2);
    std::memcpy(&t.tile, raw[i].data() + 2, 2);
    std::memcpy(t.corners, raw[i].data() + 4, 16);
  }
}

void Reader::Tables(ByteReader& r, size_t end) {
  Counted32(r, "floor data", L.floor_data);
  Counted32(r, "mesh data", L.mesh_data);
  Counted32(r, "mesh pointers", L.mesh_pointers);
  if (kind_ >= kTR4) {
    Counted32(r, "animations", L.animations);
  } else {
    // The 32-byte form lacks the 8 bytes at 16..23 of the model record.
    r.SetSection("animations");
    std::vector<std::array<uint8_t, 32>> raw;
    r.Array(raw, r.Get<uint32_t>(), 32);
    L.animations.assign(raw.size(), tanimation{});
    for (size_t i = 0; i < raw.size(); ++i) {
      std::memcpy(L.animations[i].raw, raw[i].data(), 16);
      std::memcpy(L.animations[i].raw + 24, raw[i].data() + 16, 16);
    }
  }
  Counted32(r, "state changes", L.state_changes);
  Counted32(r, "anim dispatches", L.anim_dispatches);
  Counted32(r, "anim commands", L.anim_commands);
  Counted32(r, "mesh trees", L.mesh_trees);
  Counted32(r, "frames", L.frames);
  Counted32(r, "movables", L.movables, kind_ == kTR5 ? 20 : 18);
  Counted32(r, "static meshes", L.static_meshes);
  if (kind_ <= kTR2Trg) ObjectTextures(r, 20);
  if (kind_ >= kTR4) {
    r.SetSection("sprite marker");
    r.Copy(L.spr_marker.data(), kind_ == kTR5 ? 4 : 3);
  }
  Counted32(r, "sprite textures", L.sprite_textures);
  Counted32(r, "sprite sequences", L.sprite_sequences);
  if (kind_ == kTR1Tub) {
    r.SetSection("palette");
    r.Copy(L.palette.data(), sizeof L.palette);
  }
  Counted32(r, "cameras", L.cameras);
  if (kind_ >= kTR4) Counted32(r, "flyby cameras", L.flyby_cameras);
  Counted32(r, "sound sources", L.sound_sources);
  r.SetSection("boxes");
  const uint32_t boxes = r.Get<uint32_t>();
  if (kind_ < kTR2) {
    r.Array(L.boxes1, boxes);
    L.boxes2.assign(boxes, tbox2{});
  } else {
    r.Array(L.boxes2, boxes);
    L.boxes1.assign(boxes, tbox1{});
  }
  Counted32(r, "overlaps", L.overlaps);
  r.SetSection("zones");
  L.ResizeZones(boxes);
  static constexpr int kTr1Zones[] = {0, 1, 4, 5, 6, 9};
  const int arrays = kind_ < kTR2 ? 6 : 10;
  if (uint64_t{boxes} * 2 * arrays > r.Left())
    r.Fail("count " + std::to_string(boxes) + " of boxes needs " +
           std::to_string(uint64_t{boxes} * 2 * arrays) + " bytes of zones but only " +
           std::to_string(r.Left()) + " are left");
  for (int a = 0; a < arrays; ++a) r.Array(L.zones[kind_ < kTR2 ? kTr1Zones[a] : a], boxes);
  Counted32(r, "animated textures", L.animated_textures);
  Report(85);
  if (kind_ >= kTR4) {
    r.SetSection("texture marker");
    r.Copy(L.tex_marker.data(), kind_ == kTR5 ? 5 : 4);
  }
  if (kind_ == kTR3) ObjectTextures(r, 20);
  if (kind_ >= kTR4) ObjectTextures(r, kind_ == kTR5 ? 40 : 38);
  Report(90);
  if (kind_ < kTR2) {
    Counted32(r, "items", L.items1);
  } else {
    Counted32(r, "items", L.items2);
  }
  DeriveItemForms(L);
  if (kind_ <= kTR3) {
    r.SetSection("light map");
    r.Copy(L.light_map.data(), L.light_map.size());
  }
  if (kind_ == kTR1) {
    r.SetSection("palette");
    r.Copy(L.palette.data(), sizeof L.palette);
  }
  if (kind_ <= kTR3) {
    r.SetSection("cinematic frames");
    r.Array(L.aux16_records, r.Get<uint16_t>());
  } else {
    Counted32(r, "AI objects", L.aux_items);
  }
  SoundTables(r, end);
  r.SetSection("end of level data");
  L.level_data_end.assign(r.Here(), r.Here() + (end - r.Position()));
}

// Byte list, word table, records8, (TR1) sized block and index list. Extended TR4 editors put
// a longer word table where the byte list and the word table stand; the layout that reads
// through to the end of the level data with the least left over is the file's.
void Reader::SoundTables(ByteReader& r, size_t end) {
  const size_t word_table_bytes = kind_ < kTR2 ? 512 : kind_ == kTR5 ? 900 : 740;
  auto read_rest = [&](ByteReader& t, bool extended) {
    t.SetSection("demo data");
    const uint16_t n = t.Get<uint16_t>();
    if (extended) {
      t.SetSection("sound map");
      t.Array(L.extended_word_table, n);
      L.byte_list.clear();
    } else {
      t.Array(L.byte_list, n);
      L.extended_word_table.clear();
      t.SetSection("sound map");
      t.Copy(L.word_table.data(), word_table_bytes);
    }
    Counted32(t, "sound details", L.records8);
    if (kind_ < kTR2) {
      t.SetSection("samples");
      const uint32_t size = t.Get<uint32_t>();
      if (size > t.Left())
        t.Fail("sample block size " + std::to_string(size) + " exceeds the " +
               std::to_string(t.Left()) + " bytes left");
      L.tail_data = Keep(t, size);
      t.Skip(size);
    }
    Counted32(t, "sample indices", L.index_list);
  };
  if (kind_ != kTR4) {
    read_rest(r, false);
    return;
  }
  std::optional<size_t> plain_end, extended_end;
  for (bool extended : {false, true}) {
    ByteReader trial = r;
    try {
      read_rest(trial, extended);
      (extended ? extended_end : plain_end) = trial.Position();
    } catch (const LevelFormatError&) {
      // This layout does not fit; the other one may.
    }
  }
  const bool extended = extended_end && (!plain_end || end - *extended_end < end - *plain_end);
  if (!extended && !plain_end) {
    read_rest(r, false);  // reports why the plain layout does not fit
    return;
  }
  read_rest(r, extended);
}

}  // namespace

int32_t DetectVersionKind(uint32_t version, const std::string& file_name) {
  switch (version) {
    case 0x00000020:
      return NameHas(file_name, ".TUB", ".tub") ? kTR1Tub : kTR1;
    case 0x0000002D:
      return NameHas(file_name, ".TRG", ".trg") ? kTR2Trg : kTR2;
    case 0xFF080038:
    case 0xFF180038:
      return kTR3;
    case 0xFFFFFFF0:
    case 0x00345254:
      return NameHas(file_name, ".TRC", ".trc") ? kTR5 : kTR4;
    default:
      return 0;
  }
}

Expected<Ttrlevel> ReadLevelBytes(const SharedBlock& content, const std::string& file_name,
                                  const Progress& progress) {
  ReportProgress(progress, 0);
  uint32_t version = 0;
  if (content.size() >= 4) std::memcpy(&version, content.bytes(), 4);
  const int32_t kind = content.size() >= 4 ? DetectVersionKind(version, file_name) : 0;
  if (kind == 0)
    return Result::Fail(
        Status::kUnknownVersion,
        BaseName(file_name) + " is not a level file (version word " +
            (content.size() < 4 ? std::string("missing") : std::to_string(version)) + ")");
  Ttrlevel level;
  level.version_kind = kind;
  level.loaded = true;
  try {
    Reader(level, file_name, progress).Parse(content);
  } catch (const LevelFormatError& e) {
    ReportProgress(progress, 0);
    return Result::Fail(Status::kDamaged, e.what());
  } catch (const std::bad_alloc&) {
    ReportProgress(progress, 0);
    return Result::Fail(Status::kDamaged,
                        BaseName(file_name) + ": not enough memory to read the level");
  }
  if (level.version_kind <= kTR3) {
    level.origin.palette0 = {level.palette[0].red, level.palette[0].green, level.palette[0].blue};
    level.origin.has_palette0 = true;
  }
  level.palette[0] = tpalette_entry{{}, 255, 0, 255};
  DeriveAnimatedTextureGroups(level);
  ReportProgress(progress, 100);
  ReportProgress(progress, 0);
  return level;
}

Expected<Ttrlevel> ReadLevel(const std::string& file_name, const Progress& progress) {
  if (!FileExists(file_name))
    return Result::Fail(Status::kNoSuchFile, "no such file: " + file_name);
  auto file = TZfile::Read(file_name);
  if (!file) return file.result();
  return ReadLevelBytes(file->content, file_name, progress);
}

Expected<Ttrlevel> ReadLevelBytes(Bytes content, const std::string& file_name,
                                  const Progress& progress) {
  return ReadLevelBytes(SharedBlock::Of(std::move(content)), file_name, progress);
}

}  // namespace qavel
