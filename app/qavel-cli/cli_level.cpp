// info, resave and verify: the level file commands.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "commands.h"
#include "level/level_reader.h"
#include "level/level_writer.h"
#include "level/zfile.h"

namespace qavel::cli {

namespace {

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
      continue;
    }
    out += c;
  }
  return out + "\"";
}

}  // namespace

namespace {

Result Info(const Args& in) {
  Args args = in;
  const bool json = TakeFlag(args, "--json");
  if (args.size() != 1) return Fail("usage: qavel-cli info LEVEL [--json]");
  const Expected<Ttrlevel> read = LoadLevel(args[0]);
  if (!read) return read.result();
  const Ttrlevel& L = *read;

  size_t total_v = 0, total_r = 0, total_t = 0, max_v = 0, max_r = 0, max_t = 0;
  for (const auto& room : L.rooms) {
    total_v += room.num_vertices();
    total_r += room.num_rectangles();
    total_t += room.num_triangles();
    max_v = std::max(max_v, room.num_vertices());
    max_r = std::max(max_r, room.num_rectangles());
    max_t = std::max(max_t, room.num_triangles());
  }
  const std::vector<std::pair<const char*, uint64_t>> counts = {
      {"version_kind", static_cast<uint64_t>(L.version_kind)},
      {"num_rooms", L.num_rooms()},
      {"num_floor_data", L.num_floor_data()},
      {"num_mesh_data", L.num_mesh_data()},
      {"num_mesh_pointers", L.num_mesh_pointers()},
      {"num_animations", L.num_animations()},
      {"num_state_changes", L.num_state_changes()},
      {"num_anim_dispatches", L.num_anim_dispatches()},
      {"num_anim_commands", L.num_anim_commands()},
      {"num_mesh_trees", L.num_mesh_trees()},
      {"num_frames", L.num_frames()},
      {"num_movables", L.num_movables()},
      {"num_static_meshes", L.num_static_meshes()},
      {"num_object_textures", L.num_object_textures()},
      {"num_sprite_textures", L.num_sprite_textures()},
      {"num_sprite_sequences", L.num_sprite_sequences()},
      {"num_cameras", L.num_cameras()},
      {"num_flyby_cameras", L.num_flyby_cameras()},
      {"num_sound_sources", L.num_sound_sources()},
      {"num_boxes", L.num_boxes()},
      {"num_overlaps", L.num_overlaps()},
      {"num_zones", L.num_zones()},
      {"num_animated_textures", L.num_animated_textures()},
      {"num_items", L.num_items()},
      {"num_aux_records", L.num_aux_records()},
      {"num_byte_list", L.num_byte_list()},
      {"num_records8", L.num_records8()},
      {"num_index_list", L.num_index_list()},
      {"num_pages", L.num_pages},
      {"tail_data_size", L.tail_data_size()},
      {"total_vertices", total_v},
      {"total_rectangles", total_r},
      {"total_triangles", total_t},
      {"max_room_vertices", max_v},
      {"max_room_rectangles", max_r},
      {"max_room_triangles", max_t},
  };
  char version[16];
  std::snprintf(version, sizeof version, "0x%08X", L.version);
  if (json) {
    std::printf("{\n  \"file\": %s,\n  \"generation\": %s,\n  \"version\": %u,\n",
                JsonString(args[0]).c_str(), JsonString(GenerationName(L.version_kind)).c_str(),
                L.version);
    for (size_t i = 0; i < counts.size(); ++i)
      std::printf("  \"%s\": %llu%s\n", counts[i].first,
                  static_cast<unsigned long long>(counts[i].second),
                  i + 1 < counts.size() ? "," : "");
    std::printf("}\n");
    return Result::Ok();
  }
  std::printf("file: %s\ngeneration: %s\nversion word: %s\n", args[0].c_str(),
              GenerationName(L.version_kind), version);
  for (const auto& [name, value] : counts)
    std::printf("%s: %llu\n", name, static_cast<unsigned long long>(value));
  return Result::Ok();
}

Result Resave(const Args& args) {
  if (args.size() != 2) return Fail("usage: qavel-cli resave LEVEL OUT");
  const Expected<Ttrlevel> L = LoadLevel(args[0]);
  if (!L) return L.result();
  return WriteLevel(*L, args[1]).result();
}

std::string SpanName(const std::vector<SectionSpan>& spans, size_t offset, bool level_data) {
  for (const auto& s : spans) {
    const bool in_level = s.name.rfind(kLevelDataSpanPrefix, 0) == 0;
    if (in_level == level_data && offset >= s.begin && offset < s.end) return s.name;
  }
  return level_data ? "level data (beyond the written sections)" : "beyond the written sections";
}

// Prints every run of differing bytes between a and b, naming the section of each.
size_t ReportDifferences(std::span<const uint8_t> a, std::span<const uint8_t> b,
                         const std::vector<SectionSpan>& spans, bool level_data, const char* what) {
  size_t runs = 0;
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common;) {
    if (a[i] == b[i]) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < common && a[j] != b[j]) ++j;
    std::printf("  %s bytes %zu..%zu differ (%zu bytes) in %s\n", what, i, j - 1, j - i,
                SpanName(spans, i, level_data).c_str());
    ++runs;
    i = j;
  }
  if (a.size() != b.size()) {
    std::printf("  %s length differs: read %zu bytes, written %zu (from offset %zu, in %s)\n", what,
                a.size(), b.size(), common, SpanName(spans, common, level_data).c_str());
    ++runs;
  }
  return runs;
}

// The unpacked level data chunk of a TR4 file, or empty when it cannot be found.
SharedBlock Tr4LevelData(std::span<const uint8_t> file) {
  size_t p = 10;
  for (int chunk = 0; chunk < 3; ++chunk) {
    if (p + 8 > file.size()) return {};
    uint32_t packed;
    std::memcpy(&packed, file.data() + p + 4, 4);
    p += 8 + size_t{packed};
  }
  if (p + 8 > file.size()) return {};
  uint32_t size, packed;
  std::memcpy(&size, file.data() + p, 4);
  std::memcpy(&packed, file.data() + p + 4, 4);
  if (p + 8 + packed > file.size()) return {};
  auto data = UnpackBlock(file.data() + p + 8, packed, size);
  return data ? std::move(*data) : SharedBlock{};
}

Result Verify(const Args& args) {
  if (args.size() != 1) return Fail("usage: qavel-cli verify LEVEL");
  const std::string& path = args[0];
  const auto file = TZfile::Read(path);
  if (!file) return file.result();
  const SharedBlock& original = file->content;
  auto first = ReadLevelBytes(original, path);
  if (!first) return first.result();
  for (const auto& warning : first->origin.read_warnings) Note("warning: " + warning);
  const auto written = WriteLevelBytes(*first, path, {}, Sections::kRecord);
  if (!written) return written.result();
  const Bytes& bytes = written->bytes;

  std::printf("%s: %s, %ju bytes read, %zu bytes written\n", path.c_str(),
              GenerationName(first->version_kind),
              static_cast<uintmax_t>(std::filesystem::file_size(path)), bytes.size());
  if (file->packed)
    std::printf("  the file is a ZLIB container; the level inside it is compared\n");
  if (std::ranges::equal(original.span(), bytes)) {
    std::printf("  bytes: identical\n");
  } else {
    ReportDifferences(original.span(), bytes, written->sections, false, "file");
    if (first->version_kind == kTR4) {
      const SharedBlock a = Tr4LevelData(original.span()), b = Tr4LevelData(bytes);
      if (!a.empty() && !b.empty() && a != b)
        ReportDifferences(a.span(), b.span(), written->sections, true, "level data");
      else if (a == b)
        std::printf("  level data: identical once unpacked\n");
    }
  }

  const auto second = ReadLevelBytes(bytes, path);
  if (!second) {
    std::printf("  the written file cannot be read back: %s\n", second.message().c_str());
    return Reported();
  }
  // Reading the file back must give the level with what the writer computed.
  Ttrlevel expected = std::move(*first);
  AdoptFileValues(expected, written->values);
  const std::string diff = expected.FirstDifference(*second);
  if (!diff.empty()) {
    std::printf("  model: differs after the round trip (first in %s)\n", diff.c_str());
    return Reported();
  }
  std::printf("  model: equal after the round trip\n");
  return Result::Ok();
}

}  // namespace

const Registration kInfo{{"info",
                          "info LEVEL [--json]    generation, table counts and geometry totals",
                          Info, Group::kInspect}};
const Registration kResave{
    {"resave", "resave LEVEL OUT       read the level and write it again", Resave, Group::kEdit}};
const Registration kVerify{
    {"verify", "verify LEVEL           read, write and read again; report every difference", Verify,
     Group::kInspect}};

}  // namespace qavel::cli
