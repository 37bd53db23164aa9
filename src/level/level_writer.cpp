#include "level/level_writer.h"

#include <cstring>

#include "level/level_reader.h"
#include "level/trc_room.h"
#include "level/zfile.h"

namespace qavel {

namespace {

// Packing failed: the save stops and says why.
struct PackFailure {
  Result result;
};

class Writer {
 public:
  Writer(const Ttrlevel& level, int32_t kind, const Progress& progress,
         std::vector<SectionSpan>* spans)
      : L(level), kind_(kind), progress_(progress), spans_(spans) {}
  // The file as pieces: what was written, and the blocks the level shares with the file it
  // was read from (unchanged texture chunks, samples), taken in without a copy.
  std::vector<SharedBlock> Build();
  LevelFileValues& values() { return values_; }

 private:
  void Report(int percent) const { ReportProgress(progress_, percent); }
  void LevelData(ByteWriter& w);
  void ClassicRoom(ByteWriter& w, const troom& room, LevelFileValues::Room& values);
  void Tables(ByteWriter& w);
  void ObjectTextures(ByteWriter& w, size_t file_record);
  void Palette(ByteWriter& w);
  void Chunk(ByteWriter& w, const SharedBlock& block, const Ttrlevel::Origin::Chunk& origin);
  template <class T>
  void Counted32(ByteWriter& w, const char* name, const std::vector<T>& v,
                 size_t record = sizeof(T)) {
    w.Section(name);
    w.Put(static_cast<uint32_t>(v.size()));
    w.Records(v, record);
  }

  const Ttrlevel& L;
  const int32_t kind_;
  const Progress& progress_;
  std::vector<SectionSpan>* spans_;
  LevelFileValues values_;
};

Bytes Packed(const uint8_t* data, size_t size) {
  auto packed = PackBlock(data, size);
  if (!packed) throw PackFailure{packed.result()};
  return std::move(*packed);
}

void Writer::Palette(ByteWriter& w) {
  // Entry 0 shows as magenta in the program; the file gets back what it held.
  auto palette = L.palette;
  if (L.origin.has_palette0 && palette[0] == tpalette_entry{{}, 255, 0, 255})
    palette[0] =
        tpalette_entry{{}, L.origin.palette0[0], L.origin.palette0[1], L.origin.palette0[2]};
  w.Raw(palette.data(), sizeof palette);
}

void Writer::Chunk(ByteWriter& w, const SharedBlock& block, const Ttrlevel::Origin::Chunk& origin) {
  // A block nobody replaced keeps the packed bytes it was read from.
  if (!origin.packed.empty() && block.SharesStorageWith(origin.unpacked)) {
    w.Put(origin.size_word);
    w.Put(static_cast<uint32_t>(origin.packed.size()));
    w.Share(origin.packed);
    return;
  }
  const Bytes packed = Packed(block.bytes(), block.size());
  w.Put(static_cast<uint32_t>(block.size()));
  w.Put(static_cast<uint32_t>(packed.size()));
  w.Raw(packed.data(), packed.size());
}

std::vector<SharedBlock> Writer::Build() {
  values_.version_kind = kind_;
  values_.num_pages = L.num_pages;
  values_.trc_level_data_size = L.trc_level_data_size;
  values_.trc_level_data_size2 = L.trc_level_data_size2;
  values_.rooms.resize(L.rooms.size());
  std::vector<SectionSpan> level_spans;
  ByteWriter w(spans_);
  if (kind_ <= kTR3) {
    w.Section("version word");
    w.Put(L.version);
    if (kind_ >= kTR2) {
      w.Section("palette");
      Palette(w);
      w.Raw(L.palette16.data(), L.palette16.size());
    }
    Report(30);
    w.Section("texture pages");
    w.Put(L.num_pages);
    // Pages of the count's size, cut or padded with black to it.
    auto pages = [&](const SharedBlock& b, size_t bytes) {
      const size_t have = std::min(b.size(), bytes);
      w.Share(b.Slice(0, have));
      const Bytes pad(bytes - have, 0);
      w.Raw(pad.data(), pad.size());
    };
    pages(L.pages8, size_t{L.num_pages} * 65536);
    if (kind_ >= kTR2) pages(L.pages16, size_t{L.num_pages} * 131072);
    Report(50);
    LevelData(w);
    w.CloseSection();
    return w.TakePieces();
  }

  // TR4/TR5: the level data first, then the file around it.
  ByteWriter data(spans_ ? &level_spans : nullptr);
  // One allocation for the level data and one for the file, sized from what was read.
  data.Reserve(L.origin.level_data.unpacked.size() + (kind_ == kTR5 ? 64 : 0) + 4096);
  if (kind_ == kTR5) {
    data.Section("TR5 header");
    data.Raw(L.trc_header.data(), L.trc_header.size());
    data.Put(L.trc_level_data_size);
    data.Put(L.trc_level_data_size2);
  }
  LevelData(data);
  data.CloseSection();
  Bytes body = data.Take();

  w.Section("version word");
  w.Put(L.version);
  w.Raw(L.page_counts.data(), 6);
  w.Section("32-bit pages");
  Chunk(w, L.pages32, L.origin.pages32);
  w.Section("16-bit pages");
  Chunk(w, L.pages16, L.origin.pages16);
  w.Section("third texture chunk");
  Chunk(w, L.misc_pages, L.origin.misc_pages);
  values_.num_pages = static_cast<uint32_t>(L.pages16.size() / 131072);
  if (kind_ == kTR4) {
    w.Section("level data chunk");
    const auto& o = L.origin.level_data;
    const bool unchanged = !o.packed.empty() && o.unpacked.size() == body.size() &&
                           std::memcmp(o.unpacked.bytes(), body.data(), body.size()) == 0;
    if (unchanged) {
      Chunk(w, o.unpacked, o);
    } else {
      Bytes packed = Packed(body.data(), body.size());
      w.Put(static_cast<uint32_t>(body.size()));
      w.Put(static_cast<uint32_t>(packed.size()));
      w.Share(SharedBlock::Of(std::move(packed)));
    }
  } else {
    // Size words count everything after themselves up to the end of the level data.
    const size_t prefix = w.Position();
    const uint32_t size = static_cast<uint32_t>(body.size() - 40);
    std::memcpy(body.data() + 32, &size, 4);
    std::memcpy(body.data() + 36, &size, 4);
    values_.trc_level_data_size = values_.trc_level_data_size2 = size;
    w.Share(SharedBlock::Of(std::move(body)));
    for (auto& s : level_spans) {
      s.begin += prefix;
      s.end += prefix;
    }
  }
  w.Section("samples");
  w.Put(L.tail_count);
  w.Share(L.tail_data);
  w.CloseSection();
  if (spans_) {
    if (kind_ == kTR4)
      for (auto& s : level_spans) s.name = std::string(kLevelDataSpanPrefix) + s.name;
    spans_->insert(spans_->end(), level_spans.begin(), level_spans.end());
  }
  return w.TakePieces();
}

void Writer::LevelData(ByteWriter& w) {
  w.Section("header");
  w.Put(L.reserved_dword);
  if (kind_ == kTR5)
    w.Put(static_cast<uint32_t>(L.num_rooms() | (uint32_t{L.trc_room_count_high} << 16)));
  else
    w.Put(L.num_rooms());
  for (size_t i = 0; i < L.rooms.size(); ++i) {
    w.Section("room " + std::to_string(i));
    if (kind_ == kTR5)
      values_.rooms[i].trc = WriteTrcRoom(w, L.rooms[i]);
    else
      ClassicRoom(w, L.rooms[i], values_.rooms[i]);
    Report(50 + static_cast<int>((i + 1) * 30 / L.rooms.size()));
  }
  Report(80);
  Tables(w);
}

void Writer::ClassicRoom(ByteWriter& w, const troom& room, LevelFileValues::Room& values) {
  const size_t vertex_size = kind_ < kTR2 ? 8 : 12;
  values.num_data_words =
      static_cast<uint32_t>((room.num_vertices() * vertex_size + room.rectangles.size() * 10 +
                             room.triangles.size() * 8 + room.sprites.size() * 4 + 8) /
                            2);
  w.Put(room.x);
  w.Put(room.z);
  w.Put(room.y_bottom);
  w.Put(room.y_top);
  w.Put(values.num_data_words);
  w.Put(static_cast<uint16_t>(room.num_vertices()));
  if (kind_ < kTR2)
    w.Records(room.vertices1);
  else
    w.Records(room.vertices2);
  w.Put(static_cast<uint16_t>(room.rectangles.size()));
  w.Records(room.rectangles);
  w.Put(static_cast<uint16_t>(room.triangles.size()));
  w.Records(room.triangles);
  w.Put(static_cast<uint16_t>(room.sprites.size()));
  w.Records(room.sprites);
  w.Put(static_cast<uint16_t>(room.portals.size()));
  w.Records(room.portals);
  w.Put(room.num_z_sectors);
  w.Put(room.num_x_sectors);
  w.Records(room.sectors);
  w.Raw(room.ambient.data(), 2);
  if (kind_ >= kTR2) w.Put(room.ambient2);
  if (kind_ == kTR2 || kind_ == kTR2Trg) w.Put(room.light_mode);
  w.Put(static_cast<uint16_t>(room.num_lights(kind_)));
  if (kind_ < kTR2)
    w.Records(room.lights1);
  else if (kind_ < kTR4)
    w.Records(room.lights2);
  else
    w.Records(room.lights4);
  w.Put(static_cast<uint16_t>(room.statics2.size()));
  if (kind_ < kTR2)
    w.Records(room.statics1);
  else
    w.Records(room.statics2);
  w.Put(room.alternate_room);
  w.Put(room.flags);
  if (kind_ >= kTR3) w.Raw(room.room_extra.data(), 3);
}

void Writer::ObjectTextures(ByteWriter& w, size_t file_record) {
  w.Section("object textures");
  w.Put(L.num_object_textures());
  if (file_record != 20) {
    w.Records(L.object_textures, file_record);
    return;
  }
  for (const auto& t : L.object_textures) {
    w.Put(t.attribute);
    w.Put(t.tile);
    w.Raw(t.corners, 16);
  }
}

void Writer::Tables(ByteWriter& w) {
  Counted32(w, "floor data", L.floor_data);
  Counted32(w, "mesh data", L.mesh_data);
  Counted32(w, "mesh pointers", L.mesh_pointers);
  if (kind_ >= kTR4) {
    Counted32(w, "animations", L.animations);
  } else {
    w.Section("animations");
    w.Put(L.num_animations());
    for (const auto& a : L.animations) {
      w.Raw(a.raw, 16);
      w.Raw(a.raw + 24, 16);
    }
  }
  Counted32(w, "state changes", L.state_changes);
  Counted32(w, "anim dispatches", L.anim_dispatches);
  Counted32(w, "anim commands", L.anim_commands);
  Counted32(w, "mesh trees", L.mesh_trees);
  Counted32(w, "frames", L.frames);
  Counted32(w, "movables", L.movables, kind_ == kTR5 ? 20 : 18);
  Counted32(w, "static meshes", L.static_meshes);
  if (kind_ <= kTR2Trg) ObjectTextures(w, 20);
  if (kind_ >= kTR4) {
    w.Section("sprite marker");
    w.Raw(L.spr_marker.data(), kind_ == kTR5 ? 4 : 3);
  }
  Counted32(w, "sprite textures", L.sprite_textures);
  Counted32(w, "sprite sequences", L.sprite_sequences);
  if (kind_ == kTR1Tub) {
    w.Section("palette");
    Palette(w);
  }
  Counted32(w, "cameras", L.cameras);
  if (kind_ >= kTR4) Counted32(w, "flyby cameras", L.flyby_cameras);
  Counted32(w, "sound sources", L.sound_sources);
  if (kind_ < kTR2)
    Counted32(w, "boxes", L.boxes1);
  else
    Counted32(w, "boxes", L.boxes2);
  Counted32(w, "overlaps", L.overlaps);
  w.Section("zones");
  static constexpr int kTr1Zones[] = {0, 1, 4, 5, 6, 9};
  const int arrays = kind_ < kTR2 ? 6 : 10;
  const size_t boxes = L.num_boxes();
  for (int a = 0; a < arrays; ++a) {
    // A zone array shorter than the boxes is written with zeros for the boxes it lacks.
    const auto& zone = L.zones[kind_ < kTR2 ? kTr1Zones[a] : a];
    const size_t have = std::min(zone.size(), boxes);
    w.Raw(zone.data(), have * 2);
    const Bytes zeros((boxes - have) * 2, 0);
    w.Raw(zeros.data(), zeros.size());
  }
  Counted32(w, "animated textures", L.animated_textures);
  Report(85);
  if (kind_ >= kTR4) {
    w.Section("texture marker");
    w.Raw(L.tex_marker.data(), kind_ == kTR5 ? 5 : 4);
  }
  if (kind_ == kTR3) ObjectTextures(w, 20);
  if (kind_ >= kTR4) ObjectTextures(w, kind_ == kTR5 ? 40 : 38);
  Report(90);
  if (kind_ < kTR2)
    Counted32(w, "items", L.items1);
  else
    Counted32(w, "items", L.items2);
  if (kind_ <= kTR3) {
    w.Section("light map");
    w.Raw(L.light_map.data(), L.light_map.size());
  }
  if (kind_ == kTR1) {
    w.Section("palette");
    Palette(w);
  }
  if (kind_ <= kTR3) {
    w.Section("cinematic frames");
    w.Put(static_cast<uint16_t>(L.aux16_records.size()));
    w.Records(L.aux16_records);
  } else {
    Counted32(w, "AI objects", L.aux_items);
  }
  w.Section("demo data");
  if (!L.extended_word_table.empty()) {
    w.Put(static_cast<uint16_t>(L.extended_word_table.size()));
    w.Records(L.extended_word_table);
  } else {
    w.Put(static_cast<uint16_t>(L.byte_list.size()));
    w.Records(L.byte_list);
    w.Section("sound map");
    w.Raw(L.word_table.data(), kind_ < kTR2 ? 512 : kind_ == kTR5 ? 900 : 740);
  }
  Counted32(w, "sound details", L.records8);
  if (kind_ < kTR2) {
    w.Section("samples");
    w.Put(L.tail_data_size());
    w.Share(L.tail_data);
  }
  Counted32(w, "sample indices", L.index_list);
  w.Section("end of level data");
  w.Raw(L.level_data_end.data(), L.level_data_end.size());
}

int32_t KindForOutput(const Ttrlevel& level, const std::string& file_name) {
  switch (level.version) {
    case 0x00000020:
    case 0x0000002D:
      return DetectVersionKind(level.version, file_name);
    default:
      return level.version_kind;
  }
}

}  // namespace

namespace {

// The file as pieces, with the values the writer computed.
struct LevelPieces {
  std::vector<SharedBlock> pieces;
  LevelFileValues values;
};

Expected<LevelPieces> BuildLevelFile(const Ttrlevel& level, const std::string& file_name,
                                     const Progress& progress, std::vector<SectionSpan>* spans) {
  if (!level.IsLoaded()) return Result::Fail(Status::kNothingLoaded, "no level is loaded");
  ReportProgress(progress, 0);
  Writer writer(level, KindForOutput(level, file_name), progress, spans);
  LevelPieces out;
  try {
    out.pieces = writer.Build();
  } catch (const PackFailure& failure) {
    ReportProgress(progress, 0);
    return failure.result;
  }
  out.values = std::move(writer.values());
  return out;
}

}  // namespace

Expected<WrittenLevel> WriteLevelBytes(const Ttrlevel& level, const std::string& file_name,
                                       const Progress& progress, Sections sections) {
  WrittenLevel out;
  auto built = BuildLevelFile(level, file_name, progress,
                              sections == Sections::kRecord ? &out.sections : nullptr);
  if (!built) return built.result();
  size_t size = 0;
  for (const auto& piece : built->pieces) size += piece.size();
  out.bytes.reserve(size);
  for (const auto& piece : built->pieces)
    out.bytes.insert(out.bytes.end(), piece.bytes(), piece.bytes() + piece.size());
  out.values = std::move(built->values);
  ReportProgress(progress, 100);
  ReportProgress(progress, 0);
  return out;
}

Expected<LevelFileValues> WriteLevel(const Ttrlevel& level, const std::string& file_name,
                                     const Progress& progress) {
  auto built = BuildLevelFile(level, file_name, progress, nullptr);
  if (!built) return built.result();
  // The pieces go to the file as they are: unchanged chunks and samples are never copied.
  std::vector<std::span<const uint8_t>> pieces;
  for (const auto& piece : built->pieces) pieces.push_back(piece.span());
  const Result saved = WriteFileAtomically(file_name, pieces);
  ReportProgress(progress, saved ? 100 : 0);
  ReportProgress(progress, 0);
  if (!saved) return Result::Fail(Status::kFailed, saved.message());
  return std::move(built->values);
}

void AdoptFileValues(Ttrlevel& level, const LevelFileValues& values) {
  level.version_kind = values.version_kind;
  level.num_pages = values.num_pages;
  level.trc_level_data_size = values.trc_level_data_size;
  level.trc_level_data_size2 = values.trc_level_data_size2;
  for (size_t i = 0; i < level.rooms.size() && i < values.rooms.size(); ++i) {
    troom& room = level.rooms[i];
    if (values.version_kind == kTR5)
      AdoptTrcRoomWritten(room, values.rooms[i].trc);
    else
      room.num_data_words = values.rooms[i].num_data_words;
  }
}

}  // namespace qavel
