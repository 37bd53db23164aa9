#include "level/level_writer.h"

#include <cstring>

#include "level/level_reader.h"
#include "level/trc_room.h"
#include "level/zfile.h"

namespace qavel {

namespace {

class Writer {
 public:
  Writer(Ttrlevel& level, std::vector<SectionSpan>* spans) : L(level), spans_(spans) {}
  Bytes Build();

 private:
  void LevelData(ByteWriter& w);
  void ClassicRoom(ByteWriter& w, troom& room);
  void Tables(ByteWriter& w);
  void ObjectTextures(ByteWriter& w, size_t file_record);
  void Palette(ByteWriter& w);
  void Chunk(ByteWriter& w, const SharedBlock& block, const Ttrlevel::Origin::Chunk& origin,
             uint32_t* size_out, uint32_t* packed_out);
  template <class T>
  void Counted32(ByteWriter& w, const char* name, const std::vector<T>& v,
                 size_t record = sizeof(T)) {
    w.Section(name);
    w.Put(static_cast<uint32_t>(v.size()));
    w.Records(v, record);
  }

  Ttrlevel& L;
  std::vector<SectionSpan>* spans_;
  int kind_ = 0;
};

void Writer::Palette(ByteWriter& w) {
  // Entry 0 shows as magenta in the program; the file gets back what it held.
  auto palette = L.palette;
  if (L.origin.has_palette0 && palette[0] == tpalette_entry{{}, 255, 0, 255})
    palette[0] =
        tpalette_entry{{}, L.origin.palette0[0], L.origin.palette0[1], L.origin.palette0[2]};
  w.Raw(palette.data(), sizeof palette);
}

void Writer::Chunk(ByteWriter& w, const SharedBlock& block, const Ttrlevel::Origin::Chunk& origin,
                   uint32_t* size_out, uint32_t* packed_out) {
  if (!origin.packed.empty() && origin.unpacked.data && block == origin.unpacked) {
    w.Put(origin.size_word);
    w.Put(static_cast<uint32_t>(origin.packed.size()));
    w.Raw(origin.packed.data(), origin.packed.size());
    if (size_out) *size_out = static_cast<uint32_t>(block.size());
    if (packed_out) *packed_out = static_cast<uint32_t>(origin.packed.size());
    return;
  }
  const Bytes packed = PackBlock(block.bytes(), block.size());
  w.Put(static_cast<uint32_t>(block.size()));
  w.Put(static_cast<uint32_t>(packed.size()));
  w.Raw(packed.data(), packed.size());
  if (size_out) *size_out = static_cast<uint32_t>(block.size());
  if (packed_out) *packed_out = static_cast<uint32_t>(packed.size());
}

Bytes Writer::Build() {
  kind_ = L.version_kind;
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
    L.Report(30);
    w.Section("texture pages");
    w.Put(L.num_pages);
    Bytes pad;
    auto pages = [&](const SharedBlock& b, size_t bytes) {
      const size_t have = std::min(b.size(), bytes);
      w.Raw(b.bytes(), have);
      pad.assign(bytes - have, 0);
      w.Raw(pad.data(), pad.size());
    };
    pages(L.pages8, size_t{L.num_pages} * 65536);
    if (kind_ >= kTR2) pages(L.pages16, size_t{L.num_pages} * 131072);
    L.pages8_bytes = L.num_pages * 65536;
    L.Report(50);
    LevelData(w);
    w.CloseSection();
    return std::move(w.Buffer());
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
  Bytes body = std::move(data.Buffer());

  w.Reserve(L.origin.pages32.packed.size() + L.origin.pages16.packed.size() +
            L.origin.misc_pages.packed.size() + L.origin.level_data.packed.size() + body.size() +
            L.tail_data.size() + 64);
  w.Section("version word");
  w.Put(L.version);
  w.Raw(L.page_counts.data(), 6);
  w.Section("32-bit pages");
  Chunk(w, L.pages32, L.origin.pages32, &L.pages32_size, &L.pages32_packed_size);
  w.Section("16-bit pages");
  Chunk(w, L.pages16, L.origin.pages16, &L.pages16_size, &L.pages16_packed_size);
  w.Section("third texture chunk");
  Chunk(w, L.misc_pages, L.origin.misc_pages, &L.misc_pages_size, &L.misc_pages_packed_size);
  L.num_pages = L.pages16_size / 131072;
  L.pages8_bytes = L.num_pages * 65536;
  if (kind_ == kTR4) {
    w.Section("level data chunk");
    const auto& o = L.origin.level_data;
    if (o.unpacked.data && *o.unpacked.data == body) {
      Chunk(w, o.unpacked, o, nullptr, nullptr);
    } else {
      Ttrlevel::Origin::Chunk fresh;
      fresh.unpacked = SharedBlock::Of(std::move(body));
      Chunk(w, fresh.unpacked, {}, nullptr, nullptr);
    }
  } else {
    // Size words count everything after themselves up to the end of the level data.
    const size_t prefix = w.Position();
    const uint32_t size = static_cast<uint32_t>(body.size() - 40);
    std::memcpy(body.data() + 32, &size, 4);
    std::memcpy(body.data() + 36, &size, 4);
    L.trc_level_data_size = L.trc_level_data_size2 = size;
    w.Raw(body.data(), body.size());
    for (auto& s : level_spans) {
      s.begin += prefix;
      s.end += prefix;
    }
  }
  w.Section("samples");
  w.Put(L.tail_count);
  w.Raw(L.tail_data.data(), L.tail_data.size());
  w.CloseSection();
  if (spans_) {
    if (kind_ == kTR4)
      for (auto& s : level_spans) s.name = std::string(kLevelDataSpanPrefix) + s.name;
    spans_->insert(spans_->end(), level_spans.begin(), level_spans.end());
  }
  return std::move(w.Buffer());
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
      WriteTrcRoom(w, L.rooms[i]);
    else
      ClassicRoom(w, L.rooms[i]);
    L.Report(50 + static_cast<int>((i + 1) * 30 / L.rooms.size()));
  }
  L.Report(80);
  Tables(w);
}

void Writer::ClassicRoom(ByteWriter& w, troom& room) {
  const size_t vertex_size = kind_ < kTR2 ? 8 : 12;
  room.num_data_words =
      static_cast<uint32_t>((room.num_vertices() * vertex_size + room.rectangles.size() * 10 +
                             room.triangles.size() * 8 + room.sprites.size() * 4 + 8) /
                            2);
  w.Put(room.x);
  w.Put(room.z);
  w.Put(room.y_bottom);
  w.Put(room.y_top);
  w.Put(room.num_data_words);
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
    auto zone = L.zones[kind_ < kTR2 ? kTr1Zones[a] : a];
    zone.resize(boxes);
    w.Records(zone);
  }
  Counted32(w, "animated textures", L.animated_textures);
  L.Report(85);
  if (kind_ >= kTR4) {
    w.Section("texture marker");
    w.Raw(L.tex_marker.data(), kind_ == kTR5 ? 5 : 4);
  }
  if (kind_ == kTR3) ObjectTextures(w, 20);
  if (kind_ >= kTR4) ObjectTextures(w, kind_ == kTR5 ? 40 : 38);
  L.Report(90);
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
    w.Raw(L.tail_data.data(), L.tail_data.size());
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

int WriteLevelBytes(Ttrlevel& level, const std::string& file_name, Bytes& out,
                    std::vector<SectionSpan>* spans, std::string* message) {
  if (!level.IsLoaded()) {
    if (message) *message = "no level is loaded";
    return kWriteNothingLoaded;
  }
  level.Report(0);
  level.version_kind = KindForOutput(level, file_name);
  try {
    out = Writer(level, spans).Build();
  } catch (const FileError& e) {
    level.Report(0);
    if (message) *message = e.what();
    return kWriteFailed;
  }
  level.Report(100);
  level.Report(0);
  return kWriteOk;
}

int WriteLevel(Ttrlevel& level, const std::string& file_name, std::string* message) {
  Bytes out;
  const int rc = WriteLevelBytes(level, file_name, out, nullptr, message);
  if (rc != kWriteOk) return rc;
  try {
    WriteFileAtomically(file_name, out);
  } catch (const FileError& e) {
    if (message) *message = e.what();
    return kWriteFailed;
  }
  return kWriteOk;
}

}  // namespace qavel
