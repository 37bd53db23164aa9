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
  return std::move(w.Buffer());
}

ExchangeResult ExportProject(const Ttrlevel& level, const std::string& file_name) {
  if (!level.IsLoaded()) return {ExchangeStatus::kRefused, "no level is loaded"};
  try {
    WriteFileAtomically(file_name, WriteProjectBytes(level));
  } catch (const FileError& e) {
    return {ExchangeStatus::kFileError, e.what()};
  }
  return ExchangeResult::Done(file_name + ": project of a " +
                              ExchangeGenerationName(level.version_kind) + " level with " +
                              std::to_string(level.num_items()) + " items written");
}

ExchangeResult ImportProjectBytes(const Ttrlevel& level, const Bytes& content,
                                  const std::string& name) {
  if (!level.IsLoaded()) return {ExchangeStatus::kRefused, "no level is loaded"};
  if (content.size() < kMagicSize || std::memcmp(content.data(), kZqpMagic, kMagicSize) != 0)
    return {ExchangeStatus::kWrongMagic, name + " is not a ZQP file (it does not start with \"" +
                                             std::string(kZqpMagic + 1) + "\")"};
  if (content.size() != kFileSize)
    return {ExchangeStatus::kDamaged, name + " is " + std::to_string(content.size()) +
                                          " bytes long; a ZQP file has " +
                                          std::to_string(kFileSize)};
  int32_t kind;
  uint32_t items;
  std::memcpy(&kind, content.data() + kMagicSize, 4);
  std::memcpy(&items, content.data() + kMagicSize + 4, 4);
  if (!SameGeneration(kind, level.version_kind))
    return {ExchangeStatus::kWrongGeneration,
            name + " belongs to a " + ExchangeGenerationName(kind) + " level (generation " +
                std::to_string(kind) + ") but the level is " +
                ExchangeGenerationName(level.version_kind)};
  return ExchangeResult::Done(name + ": project of a " + ExchangeGenerationName(kind) +
                              " level with " + std::to_string(items) +
                              " items; it holds no edits to apply, the level is unchanged");
}

ExchangeResult ImportProject(const Ttrlevel& level, const std::string& file_name) {
  TZfile file;
  try {
    file.OpenRead(file_name);
  } catch (const FileError& e) {
    return {ExchangeStatus::kFileError, e.what()};
  }
  return ImportProjectBytes(level, file.Content(), file_name);
}

}  // namespace qavel
