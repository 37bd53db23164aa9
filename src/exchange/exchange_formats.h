#pragma once
// The exchange formats in one table: what the Import and Export menus show, which files their
// dialogs offer, and what exporting and importing do. The menus, the editor session and the
// command line all take them from here.

#include <array>
#include <cstddef>
#include <string>

#include "level/result.h"
#include "level/ttrlevel.h"

namespace qavel {

enum class ExchangeFormatId { kDxf, kMshFull, kMshGeometry, kZqp };

struct ExchangeFormat {
  ExchangeFormatId id;
  const char* file_kind;    // "DXF File": what the file dialogs call the files
  const char* extension;    // "dxf"
  const char* file_filter;  // "DXF File (*.dxf)"
  bool per_room;            // works on one room, the selected one
  // The Export menu entry: its action's objectName, caption and the command's name; null where
  // the format has no export of its own (MSH_2 files are written by MSH_1's export).
  const char* export_action;
  const char* export_caption;
  const char* export_command;
  // The Import menu entry, likewise.
  const char* import_action;
  const char* import_caption;
  const char* import_command;
  // Writes the file (room is used by per-room formats only). The message says what was done.
  Result (*export_file)(const Ttrlevel& level, size_t room, const std::string& path);
  // Reads the file into the level: a failure leaves the level as it was. ZQP files are only
  // recognised; they change nothing.
  Result (*import_file)(Ttrlevel& level, size_t room, const std::string& path);
};

// Every format, in menu order: DXF, MSH (full), MSH (geometry only), ZQP.
const std::array<ExchangeFormat, 4>& ExchangeFormats();
const ExchangeFormat& GetExchangeFormat(ExchangeFormatId id);

}  // namespace qavel
