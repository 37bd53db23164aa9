#pragma once
// The level writer: a level file from a Ttrlevel, in the generation it was read from.

#include <string>
#include <vector>

#include "level/byte_writer.h"
#include "level/progress.h"
#include "level/result.h"
#include "level/trc_room.h"
#include "level/ttrlevel.h"

namespace qavel {

// TR4 spans inside the unpacked level data carry this prefix.
inline constexpr const char* kLevelDataSpanPrefix = "level data: ";

// What a written file holds that the writer computed instead of copying it from the level: the
// generation its name chose, size words, page counts, TR5 room headers and layers. The level is
// never changed by writing; AdoptFileValues gives it these values, and it then equals what
// reading the file back gives.
struct LevelFileValues {
  int32_t version_kind = 0;
  uint32_t num_pages = 0;
  uint32_t trc_level_data_size = 0, trc_level_data_size2 = 0;
  struct Room {
    uint32_t num_data_words = 0;  // TR1-TR4
    TrcRoomWritten trc;           // TR5
  };
  std::vector<Room> rooms;
};
void AdoptFileValues(Ttrlevel& level, const LevelFileValues& values);

// A level file built in memory.
struct WrittenLevel {
  Bytes bytes;
  LevelFileValues values;
  // The named sections of the file, when asked for (for TR4 also positions in the unpacked
  // level data, listed after the file's own sections and named with kLevelDataSpanPrefix).
  std::vector<SectionSpan> sections;
};

enum class Sections { kSkip, kRecord };

// Builds the level file in memory. The output name chooses between the TR1 and TR2 variants.
// Fails with kNothingLoaded when the level holds no file and kFailed when packing fails.
// progress moves from 0 to 100 and back to 0 at the end.
Expected<WrittenLevel> WriteLevelBytes(const Ttrlevel& level, const std::string& file_name,
                                       const Progress& progress = {},
                                       Sections sections = Sections::kSkip);

// Writes the level file safely (a temporary file renamed over the target when complete; a
// failure leaves the old file as it was) and returns the values it computed.
Expected<LevelFileValues> WriteLevel(const Ttrlevel& level, const std::string& file_name,
                                     const Progress& progress = {});

}  // namespace qavel
