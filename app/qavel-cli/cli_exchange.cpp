// export-dxf, import-dxf, export-msh, import-msh, export-zqp, import-zqp: the exchange files
// without the window. An import writes its output level only when it succeeded.

#include <cstdio>
#include <stdexcept>

#include "commands.h"
#include "exchange/dxf_file.h"
#include "exchange/msh_file.h"
#include "exchange/zqp_file.h"
#include "level/level_reader.h"
#include "level/level_writer.h"

namespace qavel::cli {

namespace {

bool ParseRoom(const std::string& text, size_t& room) {
  size_t used = 0;
  try {
    const unsigned long v = std::stoul(text, &used);
    room = v;
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size() || text.front() == '-') {
    Fail("ROOM must be a room number, not \"" + text + "\"");
    return false;
  }
  return true;
}

// Reports the result; returns the exit code.
int Report(const ExchangeResult& result) {
  if (!result.ok()) return Fail(result.message);
  std::printf("%s\n", result.message.c_str());
  return 0;
}

int SaveImported(Ttrlevel& level, const ExchangeResult& result, const std::string& out) {
  if (!result.ok()) return Fail(result.message);
  std::string message;
  if (WriteLevel(level, out, &message) != kWriteOk) return Fail(message);
  std::printf("%s\n", result.message.c_str());
  return 0;
}

int ExportDxf(const Args& args) {
  if (args.size() != 3) return Fail("usage: qavel-cli export-dxf LEVEL ROOM OUT.dxf");
  Ttrlevel level;
  size_t room;
  if (!ParseRoom(args[1], room) || !LoadLevel(level, args[0])) return 1;
  return Report(ExportRoomDxf(level, room, args[2]));
}

int ImportDxf(const Args& args) {
  if (args.size() != 4) return Fail("usage: qavel-cli import-dxf LEVEL ROOM IN.dxf OUT");
  Ttrlevel level;
  size_t room;
  if (!ParseRoom(args[1], room) || !LoadLevel(level, args[0])) return 1;
  return SaveImported(level, ImportRoomDxf(level, room, args[2]), args[3]);
}

int ExportMshCommand(const Args& args) {
  if (args.size() != 2) return Fail("usage: qavel-cli export-msh LEVEL OUT.msh");
  Ttrlevel level;
  if (!LoadLevel(level, args[0])) return 1;
  return Report(ExportMsh(level, args[1]));
}

int ImportMshCommand(const Args& in) {
  Args args = in;
  const bool geometry_only = TakeFlag(args, "--geometry-only");
  if (args.size() != 3)
    return Fail("usage: qavel-cli import-msh LEVEL IN.msh OUT [--geometry-only]");
  Ttrlevel level;
  if (!LoadLevel(level, args[0])) return 1;
  const ExchangeResult result =
      geometry_only ? ImportMshGeometry(level, args[1]) : ImportMshFull(level, args[1]);
  return SaveImported(level, result, args[2]);
}

int ExportZqp(const Args& args) {
  if (args.size() != 2) return Fail("usage: qavel-cli export-zqp LEVEL OUT.zqp");
  Ttrlevel level;
  if (!LoadLevel(level, args[0])) return 1;
  return Report(ExportProject(level, args[1]));
}

int ImportZqp(const Args& args) {
  if (args.size() != 3) return Fail("usage: qavel-cli import-zqp LEVEL IN.zqp OUT");
  Ttrlevel level;
  if (!LoadLevel(level, args[0])) return 1;
  return SaveImported(level, ImportProject(level, args[1]), args[2]);
}

}  // namespace

const Registration kExportDxf{
    {"export-dxf", "export-dxf LEVEL ROOM OUT.dxf          write one room's faces as DXF",
     ExportDxf}};
const Registration kImportDxf{
    {"import-dxf", "import-dxf LEVEL ROOM IN.dxf OUT       replace one room's faces from DXF",
     ImportDxf}};
const Registration kExportMsh{
    {"export-msh", "export-msh LEVEL OUT.msh               write every room's meshes and lights",
     ExportMshCommand}};
const Registration kImportMsh{
    {"import-msh",
     "import-msh LEVEL IN.msh OUT [--geometry-only]  read rooms (and lights, zones) from MSH",
     ImportMshCommand}};
const Registration kExportZqp{
    {"export-zqp", "export-zqp LEVEL OUT.zqp               write the level's project file",
     ExportZqp}};
const Registration kImportZqp{
    {"import-zqp", "import-zqp LEVEL IN.zqp OUT            check a project file, save the level",
     ImportZqp}};

}  // namespace qavel::cli
