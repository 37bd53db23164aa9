#pragma once
// The level writer: writes a Ttrlevel back in the generation it was read from.

#include <string>
#include <vector>

#include "level/byte_writer.h"
#include "level/ttrlevel.h"

namespace qavel {

// TR4 spans inside the unpacked level data carry this prefix.
inline constexpr const char* kLevelDataSpanPrefix = "level data: ";

enum WriteResult : int {
  kWriteOk = 0,
  kWriteNothingLoaded = 1,  // no level in the model; nothing is written or created
  kWriteFailed = 2,         // the system or the packer failed; the old file is untouched
};

// Builds the level file in memory. The output name chooses between the TR1 and TR2 variants;
// values the writer recomputes (room size words, chunk sizes, TR5 headers) are stored back
// into the model. spans, when given, receives the sections of the written file (for TR4 they
// are positions in the unpacked level data, listed after the file's own sections).
int WriteLevelBytes(Ttrlevel& level, const std::string& file_name, Bytes& out,
                    std::vector<SectionSpan>* spans = nullptr, std::string* message = nullptr);

// Writes the level file safely: a temporary file renamed over the target when complete.
int WriteLevel(Ttrlevel& level, const std::string& file_name, std::string* message = nullptr);

}  // namespace qavel
