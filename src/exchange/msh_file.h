#pragma once
// MSH files: the room geometry, ambient bytes, flags and lights of every room and the level's
// normal zone arrays, in our own binary format, written and read back into a level of the same
// generation.

#include <span>
#include <string>

#include "level/result.h"
#include "level/ttrlevel.h"

namespace qavel {

// Import MSH_1 takes everything the file holds; Import MSH_2 only the room geometry.
enum class MshImportMode { kFull, kGeometryOnly };

// The 17 bytes every MSH file starts with: a length byte and the text.
inline constexpr char kMshMagic[] = "\x10Kelvora MSH file";

// The MSH file of a loaded level.
Bytes WriteMshBytes(const Ttrlevel& level);
// "Export MSH": writes the file safely (a failed write leaves the old file as it was).
Result ExportMsh(const Ttrlevel& level, const std::string& file_name);

// Reads and checks the whole file, then changes the level; any problem leaves it untouched.
// A file with more rooms or zone entries than the level has its surplus skipped. The message
// says what was imported and what was skipped.
Result ImportMshBytes(Ttrlevel& level, std::span<const uint8_t> content, MshImportMode mode,
                      const std::string& name);
// "Import MSH_1" and "Import MSH_2" (a packed "ZLIB" container is accepted too).
Result ImportMsh(Ttrlevel& level, const std::string& file_name, MshImportMode mode);

}  // namespace qavel
