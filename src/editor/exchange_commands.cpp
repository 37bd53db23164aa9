#include "editor/exchange_commands.h"

#include "editor/edit_command.h"
#include "inspect/exchange_edits.h"
#include "inspect/refusals.h"

namespace qavel {

Result ExportFile(EditorSession& session, ExchangeFormatId format, const std::string& path) {
  if (!session.HasLevel()) return NoLevel();
  const ExchangeFormat& f = GetExchangeFormat(format);
  if (f.export_file == nullptr) return Refused(std::string(f.file_kind) + "s are not written.");
  return f.export_file(session.level(), static_cast<size_t>(session.selection().room()), path);
}

Result ImportFile(EditorSession& session, ExchangeFormatId format, const std::string& path) {
  Expected<edit::ImportEdit> imported =
      edit::ImportFile(session.level(), format, session.selection().room(), path);
  if (!imported) return imported.result();
  if (Result pushed = Push(session.document(), std::move(imported->edit)); !pushed) return pushed;
  return Result::Ok(std::move(imported->message));
}

}  // namespace qavel
