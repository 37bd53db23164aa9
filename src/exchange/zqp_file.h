#pragma once
// ZQP project files: which generation a set of edits belongs to and how many items the level
// had. Reading one recognises it; it carries no edits to apply yet.

#include <string>

#include "exchange/exchange_result.h"
#include "level/ttrlevel.h"

namespace qavel {

inline constexpr char kZqpMagic[] = "\x10Kelvora ZQP file";

// The 25 bytes of a level's project file: magic, generation, item count.
Bytes WriteProjectBytes(const Ttrlevel& level);
// "Export ZQP": writes the file safely.
ExchangeResult ExportProject(const Ttrlevel& level, const std::string& file_name);

// "Import ZQP": checks the file and says what it is; the level is never changed.
ExchangeResult ImportProjectBytes(const Ttrlevel& level, const Bytes& content,
                                  const std::string& name);
ExchangeResult ImportProject(const Ttrlevel& level, const std::string& file_name);

}  // namespace qavel
