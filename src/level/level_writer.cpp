#include "level/level_writer.h"

#include <algorithm>
#include <cstring>

#include "level/level_layout.h"
#include "level/level_reader.h"
#include "level/trc_room.h"
#include "level/zfile.h"

namespace qavel {

namespace {

Bytes Packed(const uint8_t* data, size_t size) {
  auto packed = PackBlock(data, size);
  if (!packed) throw LevelFormatError(packed.message(), packed.result().status());
  return std::move(*packed);
}

// Follows the layout writing: every value comes from the level; what the writer computes rather
// than copies (size words, TR5 room headers) goes into `values`. Blocks the level shares with the
// file it was read from (unchanged texture chunks, pages, samples) are taken in without a copy.
class LevelWriter : public WriteIo {
 public:
  LevelWriter(ByteWriter& w, int32_t kind, const Progress& progress, LevelFileValues& values,
              std::vector<SectionSpan>* level_spans)
      : WriteIo(w, kind), progress_(progress), values_(values), level_spans_(level_spans) {}

  void Report(int percent) const { ReportProgress(progress_, percent); }
  void Palette(const std::array<tpalette_entry, 256>& palette, const Ttrlevel::Origin& origin) {
    // Entry 0 shows as magenta in the program; the file gets back what it held.
    auto written = palette;
    if (origin.has_palette0 && written[0] == tpalette_entry{{}, 255, 0, 255})
      written[0] = tpalette_entry{{}, origin.palette0[0], origin.palette0[1], origin.palette0[2]};
    w_.Raw(written.data(), sizeof written);
  }
  // Pages of the count's size, cut or padded with black to it.
  void Pages(const SharedBlock& block, uint64_t bytes) {
    const size_t have = std::min<size_t>(block.size(), bytes);
    w_.Share(block.Slice(0, have));
    const Bytes pad(bytes - have, 0);
    w_.Raw(pad.data(), pad.size());
  }
  template <class Bound>
  void Chunk(const char* span, const char* /*reading*/, const SharedBlock& block,
             const Ttrlevel::Origin::Chunk& origin, uint64_t /*most*/, const Bound& /*bound*/) {
    w_.Section(span);
    PackedChunk(block, origin);
  }
  template <class Body>
  void PackedLevelData(const Ttrlevel::Origin::Chunk& origin, const Body& body);
  template <class Body>
  void SizedLevelData(const uint32_t& size, const uint32_t& size2, const Body& body);
  void Samples(const uint32_t& count, const SharedBlock& block) {
    w_.Put(count);
    w_.Share(block);
  }
  void SizedBlock(const SharedBlock& block) {
    w_.Put(static_cast<uint32_t>(block.size()));
    w_.Share(block);
  }
  template <class Body>
  void SoundLayouts(bool extended, const Body& body) {
    body(*this, extended);
  }
  void TrcRoom(const troom& room, size_t index) {
    values_.rooms[index].trc = WriteTrcRoom(w_, room);
  }
  // The size word of the room's geometry, from what the room holds now.
  const uint32_t& DataWords(const troom& room, size_t index) {
    const size_t vertex_size = kind() < kTR2 ? 8 : 12;
    uint32_t& words = values_.rooms[index].num_data_words;
    words = static_cast<uint32_t>((room.num_vertices() * vertex_size + room.rectangles.size() * 10 +
                                   room.triangles.size() * 8 + room.sprites.size() * 4 + 8) /
                                  2);
    return words;
  }
  void LevelDataEnd(const Bytes& bytes) { Rest(bytes); }

 private:
  void PackedChunk(const SharedBlock& block, const Ttrlevel::Origin::Chunk& origin);

  const Progress& progress_;
  LevelFileValues& values_;
  std::vector<SectionSpan>* level_spans_;
};

void LevelWriter::PackedChunk(const SharedBlock& block, const Ttrlevel::Origin::Chunk& origin) {
  // A block nobody replaced keeps the packed bytes it was read from.
  if (!origin.packed.empty() && block.SharesStorageWith(origin.unpacked)) {
    w_.Put(origin.size_word);
    w_.Put(static_cast<uint32_t>(origin.packed.size()));
    w_.Share(origin.packed);
    return;
  }
  // Pages taken from another level may still be packed, and their stream damaged: never pack
  // the zeros they then read as.
  const Result unpacked = block.Unpack();
  if (!unpacked) throw LevelFormatError(unpacked.message(), unpacked.status());
  Bytes packed = Packed(block.bytes(), block.size());
  w_.Put(static_cast<uint32_t>(block.size()));
  w_.Put(static_cast<uint32_t>(packed.size()));
  w_.Share(SharedBlock::Of(std::move(packed)));
}

// TR4: the level data is built in a buffer of its own, then packed, unless it came out as the
// file held it; its spans are positions in the unpacked data.
template <class Body>
void LevelWriter::PackedLevelData(const Ttrlevel::Origin::Chunk& origin, const Body& body) {
  ByteWriter data(level_spans_);
  data.Reserve(origin.unpacked.size() + 4096);
  LevelWriter inner(data, kind(), progress_, values_, nullptr);
  body(inner);
  data.CloseSection();
  const SharedBlock bytes = SharedBlock::Of(data.Take());
  w_.Section("level data chunk");
  const bool unchanged = !origin.packed.empty() && origin.unpacked == bytes;
  PackedChunk(unchanged ? origin.unpacked : bytes, origin);
}

// TR5: both size words count everything after themselves up to the end of the level data.
template <class Body>
void LevelWriter::SizedLevelData(const uint32_t& size, const uint32_t& size2, const Body& body) {
  const size_t at = w_.Position();
  w_.Put(size);
  w_.Put(size2);
  w_.Reserve(size + 4096);
  body(*this);
  const auto written = static_cast<uint32_t>(w_.Position() - (at + 8));
  w_.PutAt(at, written);
  w_.PutAt(at + 4, written);
  values_.trc_level_data_size = values_.trc_level_data_size2 = written;
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

// The file as pieces, with the values the writer computed.
struct LevelPieces {
  std::vector<SharedBlock> pieces;
  LevelFileValues values;
};

Expected<LevelPieces> BuildLevelFile(const Ttrlevel& level, const std::string& file_name,
                                     const Progress& progress, std::vector<SectionSpan>* spans) {
  if (!level.IsLoaded()) return Result::Fail(Status::kNothingLoaded, "no level is loaded");
  ReportProgress(progress, 0);
  LevelPieces out;
  LevelFileValues& values = out.values;
  values.version_kind = KindForOutput(level, file_name);
  values.num_pages = values.version_kind >= kTR4
                         ? static_cast<uint32_t>(level.pages16.size() / 131072)
                         : level.num_pages;
  values.trc_level_data_size = level.trc_level_data_size;
  values.trc_level_data_size2 = level.trc_level_data_size2;
  values.rooms.resize(level.rooms.size());
  // TR4 spans inside the packed level data are listed after the file's own.
  std::vector<SectionSpan> level_spans;
  const Result built = CatchLevelFailures(
      [&] {
        ByteWriter w(spans);
        LevelWriter io(w, values.version_kind, progress, values, spans ? &level_spans : nullptr);
        layout::FileLayout(io, level);
        w.CloseSection();
        out.pieces = w.TakePieces();
      },
      file_name + ": not enough memory to write the level");
  if (!built) {
    ReportProgress(progress, 0);
    return built;
  }
  if (spans)
    for (auto& s : level_spans)
      spans->push_back({std::string(kLevelDataSpanPrefix) + s.name, s.begin, s.end});
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
