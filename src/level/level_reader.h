#pragma once
// The level reader: fills a Ttrlevel from a level file of any generation.

#include <string>

#include "level/ttrlevel.h"

namespace qavel {

enum ReadResult : int {
  kReadOk = 0,
  kReadNoSuchFile = 1,
  kReadUnknownVersion = 2,
  kReadDamaged = 3,     // ends early, impossible count, beyond capacity, cannot be unpacked
  kReadCannotOpen = 4,  // the system refused to open or read the file
};

// Generation code for a version word and the file's full name, 0 when it is no level file.
int32_t DetectVersionKind(uint32_t version, const std::string& file_name);

// Reads the file into level. On any result but kReadOk the level is left empty and message
// (when given) holds one line saying why.
int ReadLevel(Ttrlevel& level, const std::string& file_name, std::string* message = nullptr);

// The same from bytes already in memory; file_name decides the generation and names errors.
int ReadLevelBytes(Ttrlevel& level, const Bytes& content, const std::string& file_name,
                   std::string* message = nullptr);

}  // namespace qavel
