#pragma once
// ZQP project files: which generation a set of edits belongs to and how many items the level
// had. Reading one recognises it; it carries no edits to apply yet.

#include <span>
#include <string>

#include "level/result.h"
#include "level/ttrlevel.h"

namespace qavel {

inline constexpr char kZqpMagic[] = "\x10Kelvora ZQP file";

// The 25 bytes of a level's project file: magic, generation, item count.
Bytes WriteProjectBytes(const Ttrlevel& level);
// "Export ZQP": writes the file safely.
Result ExportProject(const Ttrlevel& level, const std::string& file_name);

// "Import ZQP": checks the file and says what it is; the level is never changed.
Result ImportProjectBytes(const Ttrlevel& level, std::span<const uint8_t> content,
                          const std::string& name);
Result ImportProject(const Ttrlevel& level, const std::string& file_name);

}  // namespace qavel
