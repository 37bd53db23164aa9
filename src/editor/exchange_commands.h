#pragma once
// The Import and Export menus' commands on the session. Exports write nothing on failure. An
// import works on a copy of the level, so a refused file changes nothing; an import that
// changes the level is one undo step named after its menu command. Every result carries the
// line to show, on success too.

#include <functional>
#include <string>

#include "editor/editor_session.h"
#include "exchange/exchange_result.h"

namespace qavel {

// What one exchange format does with the open level; room is the selected room.
using ExportFunction =
    std::function<ExchangeResult(const Ttrlevel& level, size_t room, const std::string& path)>;
using ImportFunction =
    std::function<ExchangeResult(Ttrlevel& level, size_t room, const std::string& path)>;

Result RunExport(EditorSession& session, const ExportFunction& write, const std::string& path);
Result RunImport(EditorSession& session, const char* undo_name, const ImportFunction& read,
                 const std::string& path);

Result ExportRoomDxf(EditorSession& session, const std::string& path);  // the selected room
Result ImportRoomDxf(EditorSession& session, const std::string& path);  // the selected room
Result ExportMsh(EditorSession& session, const std::string& path);
Result ImportMsh(EditorSession& session, const std::string& path, bool geometry_only);
Result ExportZqp(EditorSession& session, const std::string& path);
// Recognises a project file; such files carry no edits yet, so the level never changes.
Result ImportZqp(EditorSession& session, const std::string& path);

}  // namespace qavel
