#include "editor/exchange_commands.h"

#include "editor/edit_commands.h"

namespace qavel {

Result ExportFile(EditorSession& session, ExchangeFormatId format, const std::string& path) {
  if (!session.HasLevel()) return NoLevel();
  const ExchangeFormat& f = GetExchangeFormat(format);
  if (f.export_file == nullptr) return Refused(std::string(f.file_kind) + "s are not written.");
  return f.export_file(session.level(), static_cast<size_t>(session.selection().room()), path);
}

Result ImportFile(EditorSession& session, ExchangeFormatId format, const std::string& path) {
  if (!session.HasLevel()) return NoLevel();
  const ExchangeFormat& f = GetExchangeFormat(format);
  LevelDocument& doc = session.document();
  Ttrlevel after = doc.level();
  Result result = f.import_file(after, static_cast<size_t>(session.selection().room()), path);
  if (result && !(after == doc.level()))
    doc.undo_stack().push(new ReplaceLevelCommand(&doc, QString::fromUtf8(f.import_command),
                                                  doc.level(), std::move(after)));
  return result;
}

}  // namespace qavel
