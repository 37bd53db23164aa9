#include "editor/exchange_commands.h"

#include "editor/edit_commands.h"
#include "exchange/dxf_file.h"
#include "exchange/msh_file.h"
#include "exchange/zqp_file.h"

namespace qavel {

namespace {

Result ToResult(const ExchangeResult& r) {
  switch (r.status) {
    case ExchangeStatus::kDone:
      return Result::Ok(r.message);
    case ExchangeStatus::kFileError:
      return Result::Fail(Status::kCannotOpen, r.message);
    case ExchangeStatus::kWrongMagic:
      return Result::Fail(Status::kWrongMagic, r.message);
    case ExchangeStatus::kWrongGeneration:
      return Result::Fail(Status::kWrongGeneration, r.message);
    case ExchangeStatus::kDamaged:
      return Result::Fail(Status::kDamaged, r.message);
    case ExchangeStatus::kRefused:
      break;
  }
  return Result::Fail(Status::kRefused, r.message);
}

}  // namespace

Result RunExport(EditorSession& session, const ExportFunction& write, const std::string& path) {
  if (!session.HasLevel()) return NoLevel();
  return ToResult(write(session.level(), static_cast<size_t>(session.selection().room()), path));
}

Result RunImport(EditorSession& session, const char* undo_name, const ImportFunction& read,
                 const std::string& path) {
  if (!session.HasLevel()) return NoLevel();
  LevelDocument& doc = session.document();
  Ttrlevel after = doc.level();
  const ExchangeResult result = read(after, static_cast<size_t>(session.selection().room()), path);
  if (result.ok() && !(after == doc.level()))
    doc.undo_stack().push(
        new ReplaceLevelCommand(&doc, QString::fromUtf8(undo_name), doc.level(), std::move(after)));
  return ToResult(result);
}

Result ExportRoomDxf(EditorSession& session, const std::string& path) {
  return RunExport(
      session,
      [](const Ttrlevel& level, size_t room, const std::string& p) {
        return ExportRoomDxf(level, room, p);
      },
      path);
}

Result ImportRoomDxf(EditorSession& session, const std::string& path) {
  return RunImport(
      session, "Import DXF",
      [](Ttrlevel& level, size_t room, const std::string& p) {
        return ImportRoomDxf(level, room, p);
      },
      path);
}

Result ExportMsh(EditorSession& session, const std::string& path) {
  return RunExport(
      session,
      [](const Ttrlevel& level, size_t, const std::string& p) { return ExportMsh(level, p); },
      path);
}

Result ImportMsh(EditorSession& session, const std::string& path, bool geometry_only) {
  return RunImport(
      session, geometry_only ? "Import MSH_2" : "Import MSH_1",
      [geometry_only](Ttrlevel& level, size_t, const std::string& p) {
        return geometry_only ? ImportMshGeometry(level, p) : ImportMshFull(level, p);
      },
      path);
}

Result ExportZqp(EditorSession& session, const std::string& path) {
  return RunExport(
      session,
      [](const Ttrlevel& level, size_t, const std::string& p) { return ExportProject(level, p); },
      path);
}

Result ImportZqp(EditorSession& session, const std::string& path) {
  if (!session.HasLevel()) return NoLevel();
  return ToResult(ImportProject(session.level(), path));
}

}  // namespace qavel
