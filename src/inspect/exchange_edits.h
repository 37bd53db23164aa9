#pragma once
// Imports of the exchange formats (exchange/exchange_formats.h) as checked edits: the file is
// read into a copy of the level, and the import is refused when it would leave the level with an
// error it did not have (a face naming a vertex or texture piece that does not exist, a room
// sprite whose vertex went away, ...): the level never takes what would crash the game.

#include <string>

#include "exchange/exchange_formats.h"
#include "inspect/level_edit.h"
#include "level/result.h"

namespace qavel::edit {

// An import ready to be made, and the line that says what it brings.
struct ImportEdit {
  LevelEdit edit;
  std::string message;
};

// Reads the file of a format (per-room formats into room) into a copy of the level. A file that
// cannot be read is refused with the reader's reason; one that would add errors, with the first
// of them. The edit is named after the format's Import command; a file that changes nothing
// (a ZQP file, which is only recognised) gives an edit that changes nothing.
Expected<ImportEdit> ImportFile(const Ttrlevel& level, ExchangeFormatId format, int room,
                                const std::string& path);

}  // namespace qavel::edit
