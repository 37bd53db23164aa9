#include "editor/exchange_commands.h"

#include "editor/edit_command.h"
#include "inspect/refusals.h"

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
  Ttrlevel after = session.level();
  Result result = f.import_file(after, static_cast<size_t>(session.selection().room()), path);
  if (result)
    (void)Push(session.document(),
               ReplaceLevelEdit(f.import_command, session.level(), std::move(after)));
  return result;
}

}  // namespace qavel
