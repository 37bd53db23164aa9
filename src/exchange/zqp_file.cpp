#include "exchange/zqp_file.h"

#include <cstring>

#include "level/byte_writer.h"
#include "level/zfile.h"

namespace qavel {

namespace {

constexpr size_t kMagicSize = sizeof(kZqpMagic) - 1;
constexpr size_t kFileSize = kMagicSize + 4 + 4;

bool SameGeneration(int32_t file, int32_t level) {
  const auto family = [](int32_t k) { return k == kTR1Tub ? kTR1 : k; };
  return family(file) == family(level);
}

}  // namespace

Bytes WriteProjectBytes(const Ttrlevel& level) {
  ByteWriter w;
  w.Raw(kZqpMagic, kMagicSize);
  w.Put(level.version_kind);
  w.Put(level.num_items());
  return w.Take();
}

Result ExportProject(const Ttrlevel& level, const std::string& file_name) {
  if (!level.IsLoaded()) return Result::Fail(Status::kNothingLoaded, "no level is loaded");
  Result saved = WriteFileAtomically(file_name, WriteProjectBytes(level));
  if (!saved) return saved;
  return Result::Ok(file_name + ": project of a " + GenerationName(level.version_kind) +
                    " level with " + std::to_string(level.num_items()) + " items written");
}

Result ImportProjectBytes(const Ttrlevel& level, std::span<const uint8_t> content,
                          const std::string& name) {
  if (!level.IsLoaded()) return Result::Fail(Status::kNothingLoaded, "no level is loaded");
  if (content.size() < kMagicSize || std::memcmp(content.data(), kZqpMagic, kMagicSize) != 0)
    return Result::Fail(Status::kWrongMagic, name +
                                                 " is not a ZQP file (it does not start with \"" +
                                                 std::string(kZqpMagic + 1) + "\")");
  if (content.size() != kFileSize)
    return Result::Fail(Status::kDamaged, name + " is " + std::to_string(content.size()) +
                                              " bytes long; a ZQP file has " +
                                              std::to_string(kFileSize));
  int32_t kind;
  uint32_t items;
  std::memcpy(&kind, content.data() + kMagicSize, 4);
  std::memcpy(&items, content.data() + kMagicSize + 4, 4);
  if (!SameGeneration(kind, level.version_kind))
    return Result::Fail(Status::kWrongGeneration, name + " belongs to a " + GenerationName(kind) +
                                                      " level (generation " + std::to_string(kind) +
                                                      ") but the level is " +
                                                      GenerationName(level.version_kind));
  return Result::Ok(name + ": project of a " + GenerationName(kind) + " level with " +
                    std::to_string(items) +
                    " items; it holds no edits to apply, the level is unchanged");
}

Result ImportProject(const Ttrlevel& level, const std::string& file_name) {
  const auto file = TZfile::Read(file_name);
  if (!file) return file.result();
  return ImportProjectBytes(level, file->content.span(), file_name);
}

}  // namespace qavel
