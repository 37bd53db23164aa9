#include "level/level_reader.h"

#include <cstring>
#include <optional>

#include "level/level_layout.h"
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

// Bytes the level data may hold after its last table before the reader says so. Real TR1-TR3
// files end right after the sample indices and real TR4/TR5 files carry six bytes more; a count
// that is wrong shifts every table after it and leaves hundreds of bytes or more unread.
constexpr size_t kMostUnreadBytes = 64;

// Follows the layout reading: every value goes into the level, the parts the level keeps as the
// file's bytes (pages, samples, packed chunks) are kept as slices of them, without a copy.
class LevelReader : public ReadIo {
 public:
  LevelReader(ByteReader r, int32_t kind, SharedBlock source, const Progress& progress,
              std::vector<std::string>& warnings)
      : ReadIo(std::move(r), kind),
        source_(std::move(source)),
        progress_(progress),
        warnings_(warnings) {}

  void Report(int percent) const { ReportProgress(progress_, percent); }
  void Palette(std::array<tpalette_entry, 256>& palette, const Ttrlevel::Origin& /*origin*/) {
    r_.Copy(palette.data(), sizeof palette);
  }
  void Pages(SharedBlock& block, uint64_t bytes) {
    block = Keep(bytes);
    r_.Skip(bytes);
  }
  template <class Bound>
  void Chunk(const char* /*span*/, const char* reading, SharedBlock& block,
             Ttrlevel::Origin::Chunk& origin, uint64_t most, const Bound& bound) {
    r_.SetSection(reading);
    origin = PackedChunk(most, bound(), Unpacking::kOnFirstUse);
    block = origin.unpacked;
  }
  template <class Body>
  void PackedLevelData(Ttrlevel::Origin::Chunk& origin, const Body& body) {
    r_.SetSection("level data chunk");
    origin = PackedChunk(layout::kMostLevelData, "a level holds", Unpacking::kNow);
    const SharedBlock& data = origin.unpacked;
    LevelReader inner(ByteReader(data.bytes(), data.size(), r_.Where() + ", level data"), kind(),
                      data, progress_, warnings_);
    body(inner);
  }
  template <class Body>
  void SizedLevelData(uint32_t& size, uint32_t& size2, const Body& body) {
    size = r_.Get<uint32_t>();
    size2 = r_.Get<uint32_t>();
    if (size > r_.Left())
      r_.Fail("level data size " + std::to_string(size) + " exceeds the " +
              std::to_string(r_.Left()) + " bytes left");
    const size_t end = r_.Position() + size;
    ByteReader data(r_.Data(), end, r_.Where());
    data.Seek(r_.Position());
    LevelReader inner(std::move(data), kind(), source_, progress_, warnings_);
    body(inner);
    r_.Seek(end);
  }
  void Samples(uint32_t& count, SharedBlock& block);
  void SizedBlock(SharedBlock& block) {
    const uint32_t size = r_.Get<uint32_t>();
    if (size > r_.Left())
      r_.Fail("sample block size " + std::to_string(size) + " exceeds the " +
              std::to_string(r_.Left()) + " bytes left");
    Pages(block, size);
  }
  template <class Body>
  void SoundLayouts(bool /*extended*/, const Body& body);
  void TrcRoom(troom& room, size_t /*index*/) { ReadTrcRoom(r_, room); }
  uint32_t& DataWords(troom& room, size_t /*index*/) { return room.num_data_words; }
  void LevelDataEnd(Bytes& bytes);

 private:
  // The next n bytes, kept without a copy: the reader reads source_.
  SharedBlock Keep(size_t n) const {
    return source_.Slice(static_cast<size_t>(r_.Here() - source_.bytes()), n);
  }
  enum class Unpacking { kNow, kOnFirstUse };
  Ttrlevel::Origin::Chunk PackedChunk(uint64_t most, const std::string& bound, Unpacking when);

  SharedBlock source_;
  const Progress& progress_;
  std::vector<std::string>& warnings_;
};

// A chunk whose size word exceeds `most` (what `bound` allows) is refused before anything is
// unpacked, and so is one whose stream cannot be a zlib stream of that size. The level data is
// unpacked now, and refused if its stream unpacks to more than its size word. The texture pages
// are unpacked when first asked for: most work on a level never looks at them, and unpacking
// them was most of the time an open took. Their size is the size word; a stream found damaged
// then, or unpacking to another size, fails there (SharedBlock::Unpack).
Ttrlevel::Origin::Chunk LevelReader::PackedChunk(uint64_t most, const std::string& bound,
                                                 Unpacking when) {
  Ttrlevel::Origin::Chunk c;
  c.size_word = r_.Get<uint32_t>();
  const uint32_t packed = r_.Get<uint32_t>();
  if (c.size_word > most)
    r_.Fail("size " + std::to_string(c.size_word) + " exceeds the " + std::to_string(most) +
            " bytes " + bound);
  if (packed > r_.Left())
    r_.Fail("packed size " + std::to_string(packed) + " exceeds the " + std::to_string(r_.Left()) +
            " bytes left");
  c.packed = Keep(packed);
  if (when == Unpacking::kOnFirstUse) {
    const Result start = CheckPackedStart(r_.Here(), packed, c.size_word);
    if (!start) r_.Fail(start.message());
    c.unpacked = SharedBlock::Packed(c.packed, c.size_word, r_.Context());
  } else {
    auto unpacked = UnpackBlock(r_.Here(), packed, c.size_word);
    if (!unpacked) r_.Fail(unpacked.message());
    c.unpacked = std::move(*unpacked);
  }
  r_.Skip(packed);
  return c;
}

// The samples are kept as the file's bytes, but walked first: each is two size words (unpacked,
// then stored) and the stored bytes, and a file cut short inside them is refused like any other.
// Bytes after the last sample are kept as they are.
void LevelReader::Samples(uint32_t& count, SharedBlock& block) {
  count = r_.Get<uint32_t>();
  r_.SetSection("samples");
  ByteReader walk = r_;
  const size_t first = walk.Position();
  for (uint32_t i = 0; i < count; ++i) {
    const size_t at = walk.Position();
    uint64_t end = at + 8;
    if (walk.Left() >= 8) {
      uint32_t stored = 0;
      std::memcpy(&stored, walk.Here() + 4, 4);
      end += stored;
    }
    if (end > walk.Size())
      walk.Fail("sample " + std::to_string(i) + " ends at byte " + std::to_string(end) +
                " but the file ends at byte " + std::to_string(walk.Size()) + " (" +
                std::to_string(count) + " samples from byte " + std::to_string(first) + ")");
    walk.Seek(end);
  }
  block = Keep(r_.Left());
  r_.Skip(r_.Left());
}

// TR4 files come in both layouts of the sound tables; the one that reads through to the end of
// the level data with the least left over is the file's.
template <class Body>
void LevelReader::SoundLayouts(bool /*extended*/, const Body& body) {
  if (kind() != kTR4) return body(*this, false);
  std::optional<size_t> plain_end, extended_end;
  for (bool extended : {false, true}) {
    LevelReader trial = *this;
    if (CatchLevelFailures([&] { body(trial, extended); }, {}))
      (extended ? extended_end : plain_end) = trial.Position();
  }
  const size_t end = r_.Size();
  const bool extended = extended_end && (!plain_end || end - *extended_end < end - *plain_end);
  // Neither fits: the plain layout says why.
  body(*this, extended);
}

void LevelReader::LevelDataEnd(Bytes& bytes) {
  const size_t at = r_.Position();
  Rest(bytes);
  if (bytes.size() > kMostUnreadBytes)
    warnings_.push_back(r_.Where() + ", " + r_.Section() + ", at offset " + std::to_string(at) +
                        ": " + std::to_string(bytes.size()) +
                        " bytes after the last table are left unread; a count before them may "
                        "be damaged");
}

// Fills the forms the file does not hold from those it does.
void DeriveForms(Ttrlevel& L) {
  const int32_t kind = L.version_kind;
  if (kind <= kTR4)
    for (auto& room : L.rooms) DeriveRoomForms(room, kind);
  if (kind < kTR2)
    L.boxes2.assign(L.boxes1.size(), tbox2{});
  else
    L.boxes1.assign(L.boxes2.size(), tbox1{});
  DeriveItemForms(L);
  if (kind >= kTR4) L.num_pages = static_cast<uint32_t>(L.pages16.size() / 131072);
  if (kind <= kTR3) {
    L.origin.palette0 = {L.palette[0].red, L.palette[0].green, L.palette[0].blue};
    L.origin.has_palette0 = true;
  }
  L.palette[0] = tpalette_entry{{}, 255, 0, 255};
  DeriveAnimatedTextureGroups(L);
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

namespace {

// Some level builders scramble the header of the TR4 files they make; the version word then
// reads "TR4" followed by 0x63 instead of a zero byte.
constexpr uint32_t kEncryptedTr4 = 0x63345254;

Result UnknownVersion(const SharedBlock& content, const std::string& file_name) {
  const std::string name = BaseName(file_name);
  if (content.size() < 4)
    return Result::Fail(Status::kUnknownVersion,
                        name + " is not a level file (version word missing)");
  uint32_t version = 0;
  std::memcpy(&version, content.bytes(), 4);
  if (version == kEncryptedTr4)
    return Result::Fail(Status::kUnknownVersion,
                        name + " is an encrypted level; Qavel cannot read it");
  return Result::Fail(Status::kUnknownVersion,
                      name + " is not a level file (version word " + std::to_string(version) + ")");
}

}  // namespace

Expected<Ttrlevel> ReadLevelBytes(const SharedBlock& content, const std::string& file_name,
                                  const Progress& progress) {
  ReportProgress(progress, 0);
  uint32_t version = 0;
  if (content.size() >= 4) std::memcpy(&version, content.bytes(), 4);
  const int32_t kind = content.size() >= 4 ? DetectVersionKind(version, file_name) : 0;
  if (kind == 0) return UnknownVersion(content, file_name);
  Ttrlevel level;
  level.version_kind = kind;
  level.loaded = true;
  const std::string name = BaseName(file_name);
  const Result read = CatchLevelFailures(
      [&] {
        LevelReader io(ByteReader(content.bytes(), content.size(), name), kind, content, progress,
                       level.origin.read_warnings);
        layout::FileLayout(io, level);
      },
      name + ": not enough memory to read the level");
  if (!read) {
    ReportProgress(progress, 0);
    return read;
  }
  DeriveForms(level);
  ReportProgress(progress, 100);
  ReportProgress(progress, 0);
  return level;
}

Expected<Ttrlevel> ReadLevel(const std::string& file_name, const Progress& progress) {
  auto file = TZfile::Read(file_name);
  if (!file) return file.result();
  return ReadLevelBytes(file->content, file_name, progress);
}

Expected<Ttrlevel> ReadLevelBytes(Bytes content, const std::string& file_name,
                                  const Progress& progress) {
  return ReadLevelBytes(SharedBlock::Of(std::move(content)), file_name, progress);
}

}  // namespace qavel
