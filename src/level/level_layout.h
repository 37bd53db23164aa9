#pragma once
// The layout of a level file of every generation, described once. Each function walks a part of
// the file in file order, naming its sections, count widths and record forms; the reader follows
// it with an Io that reads (level_reader.cpp), the writer with one that writes
// (level_writer.cpp), so a layout change is made here and nowhere else. Besides the steps of
// layout_io.h a level Io offers the parts only level files have:
//   Palette(palette, origin)        the 8-bit palette (the writer puts entry 0 back as read)
//   Pages(block, bytes)             TR1-TR3 texture pages, kept as the file's bytes
//   Chunk(span, reading, block, origin, most, bound)  a packed chunk, which the reader refuses
//                                   to unpack beyond `most` bytes (what bound() allows)
//   PackedLevelData(origin, body)   TR4: level data packed in a chunk, walked by body(io)
//   SizedLevelData(size, size2, body)  TR5: level data after its two size words
//   Samples(count, block)           TR4/TR5: the sample table that ends the file
//   SizedBlock(block)               TR1: the samples inside the level data, after a size word
//   SoundLayouts(extended, body)    the sound tables, in one of two layouts (below)
//   TrcRoom(room, i)                a TR5 room block (trc_room.cpp)
//   DataWords(room, i)              a TR1-TR4 room's size word: read, or computed and written
//   LevelDataEnd(bytes)             what follows the last table, kept as read
//   Report(percent)                 progress

#include <array>
#include <string>
#include <type_traits>

#include "level/layout_io.h"
#include "level/ttrlevel.h"

namespace qavel::layout {

// Bounds on what the packed chunks of a TR4/TR5 file may unpack to. The game allocates each
// chunk by its size word, and the page counts fix the sizes of the texture chunks; these bounds
// keep a small hostile file from claiming gigabytes. Real levels hold 7 to 40 texture pages, two
// or three pages in the third chunk (font and sky) and up to a few megabytes of level data.
inline constexpr uint64_t kPage32 = 256 * 256 * 4;
inline constexpr uint64_t kPage16 = 256 * 256 * 2;
inline constexpr uint64_t kMostTexturePages = 512;
inline constexpr uint64_t kMostThirdChunk = 8 * kPage32;
inline constexpr uint64_t kMostLevelData = 64ull << 20;

// Record forms that differ between generations.
inline RecordForm AnimationForm(int32_t kind) {
  // TR1-TR3 store no bytes 16..23 of the model record.
  return kind >= kTR4 ? RecordForm::Whole<tanimation>() : RecordForm::Runs({0, 16}, {24, 16});
}
inline RecordForm MovableForm(int32_t kind) {
  return RecordForm::Leading(kind == kTR5 ? 20 : 18);
}
inline RecordForm ObjectTextureForm(int32_t kind) {
  // TR1-TR3: attribute, tile and corners, without tex_flags between them and what follows.
  if (kind <= kTR3) return RecordForm::Runs({0, 4}, {6, 16});
  return RecordForm::Leading(kind == kTR5 ? 40 : 38);
}
inline size_t WordTableBytes(int32_t kind) {
  return kind < kTR2 ? 512 : kind == kTR5 ? 900 : 740;
}

// A table with a count of width W in front of it.
template <class W, class Io, class V>
void Counted(Io& io, const char* section, V& v,
             const RecordForm& form = RecordForm::Whole<typename V::value_type>()) {
  io.Section(section);
  io.Table(v, io.template Count<W>(v.size()), form);
}

// A room list: a 16-bit count, then the records.
template <class Io, class V>
void RoomList(Io& io, V& v, size_t capacity) {
  io.Table(v, io.template Count<uint16_t>(v.size()), RecordForm::Whole<typename V::value_type>(),
           capacity);
}

// TR1-TR4 room. data_words is the room's size word: read into the room, or computed and written.
template <class Io, class Room, class Word>
void ClassicRoomLayout(Io& io, Room& room, Word& data_words) {
  const int32_t kind = io.kind();
  io.Value(room.x);
  io.Value(room.z);
  io.Value(room.y_bottom);
  io.Value(room.y_top);
  io.Value(data_words);
  if (kind < kTR2)
    RoomList(io, room.vertices1, RoomCapacity::vertices);
  else
    RoomList(io, room.vertices2, RoomCapacity::vertices);
  RoomList(io, room.rectangles, RoomCapacity::rectangles);
  RoomList(io, room.triangles, RoomCapacity::triangles);
  RoomList(io, room.sprites, RoomCapacity::sprites);
  RoomList(io, room.portals, RoomCapacity::portals);
  io.Value(room.num_z_sectors);
  io.Value(room.num_x_sectors);
  io.Table(room.sectors, uint64_t{room.num_z_sectors} * room.num_x_sectors,
           RecordForm::Whole<tsector>(), RoomCapacity::sectors);
  io.Raw(room.ambient.data(), room.ambient.size());
  if (kind >= kTR2) io.Value(room.ambient2);
  if (kind == kTR2 || kind == kTR2Trg) io.Value(room.light_mode);
  if (kind < kTR2)
    RoomList(io, room.lights1, RoomCapacity::lights);
  else if (kind < kTR4)
    RoomList(io, room.lights2, RoomCapacity::lights);
  else
    RoomList(io, room.lights4, RoomCapacity::lights);
  if (kind < kTR2)
    RoomList(io, room.statics1, RoomCapacity::static_instances);
  else
    RoomList(io, room.statics2, RoomCapacity::static_instances);
  io.Value(room.alternate_room);
  io.Value(room.flags);
  if (kind >= kTR3) io.Raw(room.room_extra.data(), room.room_extra.size());
}

template <class Io, class Level>
void Rooms(Io& io, Level& L, uint64_t count) {
  const int32_t kind = io.kind();
  // The smallest room a file can hold: its header, empty lists and their counts.
  const uint64_t smallest = kind == kTR5 ? kTrcRoomHeaderSize + 4 : 46;
  io.Need(count * smallest, [&](uint64_t left) {
    return "count " + std::to_string(count) + " of rooms needs at least " +
           std::to_string(count * smallest) + " bytes but only " + std::to_string(left) +
           " are left";
  });
  io.Resize(L.rooms, count);
  for (size_t i = 0; i < count; ++i) {
    io.Section("room " + std::to_string(i));
    if (kind == kTR5)
      io.TrcRoom(L.rooms[i], i);
    else
      ClassicRoomLayout(io, L.rooms[i], io.DataWords(L.rooms[i], i));
    io.Report(50 + static_cast<int>((i + 1) * 30 / count));
  }
  io.Report(80);
}

template <class Io, class Level>
void MeshAndAnimationTables(Io& io, Level& L) {
  const int32_t kind = io.kind();
  Counted<uint32_t>(io, "floor data", L.floor_data);
  Counted<uint32_t>(io, "mesh data", L.mesh_data);
  Counted<uint32_t>(io, "mesh pointers", L.mesh_pointers);
  Counted<uint32_t>(io, "animations", L.animations, AnimationForm(kind));
  Counted<uint32_t>(io, "state changes", L.state_changes);
  Counted<uint32_t>(io, "anim dispatches", L.anim_dispatches);
  Counted<uint32_t>(io, "anim commands", L.anim_commands);
  Counted<uint32_t>(io, "mesh trees", L.mesh_trees);
  Counted<uint32_t>(io, "frames", L.frames);
  Counted<uint32_t>(io, "movables", L.movables, MovableForm(kind));
  Counted<uint32_t>(io, "static meshes", L.static_meshes);
}

// The zone arrays have no count of their own: each holds one word per box.
template <class Io, class Level>
void Zones(Io& io, Level& L) {
  const int32_t kind = io.kind();
  io.Section("zones");
  const uint64_t boxes = kind < kTR2 ? L.boxes1.size() : L.boxes2.size();
  for (auto& zone : L.zones) io.Resize(zone, boxes);
  // TR1 files hold six of the ten arrays: the model's arrays 1, 2, 5, 6, 7 and 10.
  static constexpr std::array<size_t, 6> kTr1Zones = {0, 1, 4, 5, 6, 9};
  const size_t arrays = kind < kTR2 ? kTr1Zones.size() : L.zones.size();
  io.Need(boxes * 2 * arrays, [&](uint64_t left) {
    return "count " + std::to_string(boxes) + " of boxes needs " +
           std::to_string(boxes * 2 * arrays) + " bytes of zones but only " + std::to_string(left) +
           " are left";
  });
  for (size_t a = 0; a < arrays; ++a) io.Table(L.zones[kind < kTR2 ? kTr1Zones[a] : a], boxes);
}

template <class Io, class Level>
void TextureAndBoxTables(Io& io, Level& L) {
  const int32_t kind = io.kind();
  if (kind <= kTR2Trg)
    Counted<uint32_t>(io, "object textures", L.object_textures, ObjectTextureForm(kind));
  if (kind >= kTR4) {
    io.Section("sprite marker");
    io.Raw(L.spr_marker.data(), kind == kTR5 ? 4 : 3);
  }
  Counted<uint32_t>(io, "sprite textures", L.sprite_textures);
  Counted<uint32_t>(io, "sprite sequences", L.sprite_sequences);
  if (kind == kTR1Tub) {
    io.Section("palette");
    io.Palette(L.palette, L.origin);
  }
  Counted<uint32_t>(io, "cameras", L.cameras);
  if (kind >= kTR4) Counted<uint32_t>(io, "flyby cameras", L.flyby_cameras);
  Counted<uint32_t>(io, "sound sources", L.sound_sources);
  if (kind < kTR2)
    Counted<uint32_t>(io, "boxes", L.boxes1);
  else
    Counted<uint32_t>(io, "boxes", L.boxes2);
  Counted<uint32_t>(io, "overlaps", L.overlaps);
  Zones(io, L);
  Counted<uint32_t>(io, "animated textures", L.animated_textures);
  io.Report(85);
  if (kind >= kTR4) {
    io.Section("texture marker");
    io.Raw(L.tex_marker.data(), kind == kTR5 ? 5 : 4);
  }
  if (kind >= kTR3)
    Counted<uint32_t>(io, "object textures", L.object_textures, ObjectTextureForm(kind));
  io.Report(90);
}

// Byte list, word table, sound details, (TR1) samples and sample indices. Extended TR4 editors
// put a longer word table where the byte list and the word table stand.
template <class Io, class Level>
void SoundTables(Io& io, Level& L, bool extended) {
  const int32_t kind = io.kind();
  io.Section("demo data");
  if (extended) {
    const uint64_t n = io.template Count<uint16_t>(L.extended_word_table.size());
    io.Section("sound map");
    io.Table(L.extended_word_table, n);
    io.Resize(L.byte_list, 0);
    // Such a file has no plain word table: none is kept from a trial of the plain layout.
    io.Store(L.word_table, std::remove_cvref_t<decltype(L.word_table)>{});
  } else {
    io.Table(L.byte_list, io.template Count<uint16_t>(L.byte_list.size()));
    io.Resize(L.extended_word_table, 0);
    io.Section("sound map");
    io.Raw(L.word_table.data(), WordTableBytes(kind));
  }
  Counted<uint32_t>(io, "sound details", L.records8);
  if (kind < kTR2) {
    io.Section("samples");
    io.SizedBlock(L.tail_data);
  }
  Counted<uint32_t>(io, "sample indices", L.index_list);
}

template <class Io, class Level>
void ItemAndSoundTables(Io& io, Level& L) {
  const int32_t kind = io.kind();
  if (kind < kTR2)
    Counted<uint32_t>(io, "items", L.items1);
  else
    Counted<uint32_t>(io, "items", L.items2);
  if (kind <= kTR3) {
    io.Section("light map");
    io.Raw(L.light_map.data(), L.light_map.size());
  }
  if (kind == kTR1) {
    io.Section("palette");
    io.Palette(L.palette, L.origin);
  }
  if (kind <= kTR3)
    Counted<uint16_t>(io, "cinematic frames", L.aux16_records);
  else
    Counted<uint32_t>(io, "AI objects", L.aux_items);
  io.SoundLayouts(!L.extended_word_table.empty(),
                  [&L](auto& sound_io, bool extended) { SoundTables(sound_io, L, extended); });
  io.Section("end of level data");
  io.LevelDataEnd(L.level_data_end);
}

// The level data: rooms and every table after them.
template <class Io, class Level>
void LevelDataLayout(Io& io, Level& L) {
  io.Section("header");
  io.Value(L.reserved_dword);
  uint64_t rooms = 0;
  if (io.kind() == kTR5) {
    // A 32-bit count whose high half is kept as read.
    const uint64_t word =
        io.template Count<uint32_t>(L.rooms.size() | (uint64_t{L.trc_room_count_high} << 16));
    io.Store(L.trc_room_count_high, word >> 16);
    rooms = word & 0xFFFF;
  } else {
    rooms = io.template Count<uint16_t>(L.rooms.size());
  }
  Rooms(io, L, rooms);
  MeshAndAnimationTables(io, L);
  TextureAndBoxTables(io, L);
  ItemAndSoundTables(io, L);
}

// TR1-TR3: palettes and the texture pages, unpacked.
template <class Io, class Level>
void ClassicPages(Io& io, Level& L) {
  const int32_t kind = io.kind();
  if (kind >= kTR2) {
    io.Section("palette");
    io.Palette(L.palette, L.origin);
    io.Raw(L.palette16.data(), L.palette16.size());
  }
  io.Report(30);
  io.Section("texture pages");
  const uint64_t pages = io.Value(L.num_pages);
  const uint64_t page_bytes = kind >= kTR2 ? 65536 + 131072 : 65536;
  io.Need(pages * page_bytes, [&](uint64_t left) {
    return "count " + std::to_string(pages) + " of texture pages needs " +
           std::to_string(pages * page_bytes) + " bytes but only " + std::to_string(left) +
           " are left";
  });
  io.Pages(L.pages8, pages * 65536);
  if (kind >= kTR2) io.Pages(L.pages16, pages * 131072);
  io.Report(50);
}

// TR4/TR5: the page counts and the three packed texture chunks they bound.
template <class Io, class Level>
void TextureChunks(Io& io, Level& L) {
  io.Section("version word", "page counts");
  io.Raw(L.page_counts.data(), sizeof L.page_counts);
  const auto& c = L.page_counts;
  const uint64_t pages = uint64_t{c[0]} + c[1] + c[2];
  auto counts = [&c] {
    return std::to_string(c[0]) + " + " + std::to_string(c[1]) + " + " + std::to_string(c[2]);
  };
  io.Refuse(pages > kMostTexturePages, [&] {
    return "page counts " + counts() + " exceed the " + std::to_string(kMostTexturePages) +
           " texture pages a level holds";
  });
  auto need = [&] { return "that page counts " + counts() + " need"; };
  io.Chunk("32-bit pages", "32-bit pages chunk", L.pages32, L.origin.pages32, pages * kPage32,
           need);
  io.Report(20);
  io.Chunk("16-bit pages", "16-bit pages chunk", L.pages16, L.origin.pages16, pages * kPage16,
           need);
  io.Report(30);
  io.Chunk("third texture chunk", "third texture chunk", L.misc_pages, L.origin.misc_pages,
           kMostThirdChunk, [] { return std::string("the chunk holds"); });
  io.Report(40);
}

// The whole file.
template <class Io, class Level>
void FileLayout(Io& io, Level& L) {
  const int32_t kind = io.kind();
  io.Section("version word");
  io.Value(L.version);
  if (kind <= kTR3) {
    ClassicPages(io, L);
    LevelDataLayout(io, L);
    return;
  }
  TextureChunks(io, L);
  auto level_data = [&L](auto& data_io) { LevelDataLayout(data_io, L); };
  if (kind == kTR4) {
    io.PackedLevelData(L.origin.level_data, level_data);
  } else {
    io.Section("TR5 header");
    io.Raw(L.trc_header.data(), L.trc_header.size());
    io.SizedLevelData(L.trc_level_data_size, L.trc_level_data_size2, level_data);
  }
  io.Section("samples", "sample count");
  io.Samples(L.tail_count, L.tail_data);
}

}  // namespace qavel::layout
