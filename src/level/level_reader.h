#pragma once
// The level reader: a Ttrlevel from a level file of any generation.

#include <string>

#include "level/progress.h"
#include "level/result.h"
#include "level/ttrlevel.h"

namespace qavel {

// Generation code for a version word and the file's full name, 0 when it is no level file.
int32_t DetectVersionKind(uint32_t version, const std::string& file_name);

// Reads the level file. A failure is one line saying why: kNoSuchFile, kCannotOpen (the system
// refused), kUnknownVersion (no level file, or an encrypted one) or kDamaged (it ends early,
// holds an impossible count or a table beyond the model's capacities, or its level data cannot
// be unpacked). TR4/TR5 texture pages stay packed until first used: a chunk whose header or
// sizes are wrong is refused here, one whose stream is damaged further in when it is unpacked
// (UnpackTexturePages). progress moves from 0 to 100 during the read and back to 0 at its end.
Expected<Ttrlevel> ReadLevel(const std::string& file_name, const Progress& progress = {});

// The same from bytes already in memory; file_name decides the generation and names errors.
// The level keeps what it holds as read (pages, samples, packed chunks) in these bytes.
Expected<Ttrlevel> ReadLevelBytes(const SharedBlock& content, const std::string& file_name,
                                  const Progress& progress = {});
Expected<Ttrlevel> ReadLevelBytes(Bytes content, const std::string& file_name,
                                  const Progress& progress = {});

}  // namespace qavel
