#pragma once
// The Import and Export menus' commands, one pair per entry of the exchange format table
// (exchange/exchange_formats.h). Exports write nothing on failure. An import works on a copy of
// the level, so a refused file changes nothing; an import that changes the level is one undo
// step named after its menu command. Every result carries the line to show, on success too.

#include <string>

#include "editor/editor_session.h"
#include "exchange/exchange_formats.h"

namespace qavel {

// Per-room formats work on the selected room.
Result ExportFile(EditorSession& session, ExchangeFormatId format, const std::string& path);
Result ImportFile(EditorSession& session, ExchangeFormatId format, const std::string& path);

}  // namespace qavel
