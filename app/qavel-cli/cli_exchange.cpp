// export-dxf, import-dxf, export-msh, import-msh, export-zqp, import-zqp: the exchange formats
// of the Import and Export menus, without the window. An import writes its output level only
// when it succeeded.

#include <cstdio>
#include <stdexcept>

#include "commands.h"
#include "exchange/exchange_formats.h"
#include "level/level_writer.h"

namespace qavel::cli {

namespace {

Result ParseRoom(const std::string& text, size_t& room) {
  size_t used = 0;
  try {
    const unsigned long v = std::stoul(text, &used);
    room = v;
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size() || text.front() == '-')
    return Fail("ROOM must be a room number, not \"" + text + "\"");
  return Result::Ok();
}

// Splits "LEVEL [ROOM] FILE..." by the format: per-room formats take a room number.
Expected<Ttrlevel> LevelAndRoom(const ExchangeFormat& format, const Args& args, size_t& room) {
  room = 0;
  if (format.per_room)
    if (Result r = ParseRoom(args[1], room); !r) return r;
  return LoadLevel(args[0]);
}

Result Export(ExchangeFormatId id, const Args& args) {
  const ExchangeFormat& format = GetExchangeFormat(id);
  const std::string out = std::string("OUT.") + format.extension;
  if (args.size() != (format.per_room ? 3u : 2u))
    return Fail(std::string("usage: qavel-cli export-") + format.extension + " LEVEL " +
                (format.per_room ? "ROOM " : "") + out);
  size_t room;
  const Expected<Ttrlevel> level = LevelAndRoom(format, args, room);
  if (!level) return level.result();
  const Result result = format.export_file(*level, room, args.back());
  if (result) std::printf("%s\n", result.message().c_str());
  return result;
}

Result Import(ExchangeFormatId id, const Args& args, const char* usage) {
  const ExchangeFormat& format = GetExchangeFormat(id);
  if (args.size() != (format.per_room ? 4u : 3u)) return Fail(usage);
  size_t room;
  Expected<Ttrlevel> level = LevelAndRoom(format, args, room);
  if (!level) return level.result();
  const Result result = format.import_file(*level, room, args[args.size() - 2]);
  if (!result) return result;
  if (const auto written = WriteLevel(*level, args.back()); !written) return written.result();
  std::printf("%s\n", result.message().c_str());
  return Result::Ok();
}

Result ExportDxf(const Args& args) {
  return Export(ExchangeFormatId::kDxf, args);
}
Result ImportDxf(const Args& args) {
  return Import(ExchangeFormatId::kDxf, args, "usage: qavel-cli import-dxf LEVEL ROOM IN.dxf OUT");
}
Result ExportMsh(const Args& args) {
  return Export(ExchangeFormatId::kMshFull, args);
}
Result ImportMsh(const Args& in) {
  Args args = in;
  const bool geometry_only = TakeFlag(args, "--geometry-only");
  return Import(geometry_only ? ExchangeFormatId::kMshGeometry : ExchangeFormatId::kMshFull, args,
                "usage: qavel-cli import-msh LEVEL IN.msh OUT [--geometry-only]");
}
Result ExportZqp(const Args& args) {
  return Export(ExchangeFormatId::kZqp, args);
}
Result ImportZqp(const Args& args) {
  return Import(ExchangeFormatId::kZqp, args, "usage: qavel-cli import-zqp LEVEL IN.zqp OUT");
}

}  // namespace

const Registration kExportDxf{
    {"export-dxf", "export-dxf LEVEL ROOM OUT.dxf          write one room's faces as DXF",
     ExportDxf, Group::kExchange}};
const Registration kImportDxf{
    {"import-dxf", "import-dxf LEVEL ROOM IN.dxf OUT       replace one room's faces from DXF",
     ImportDxf, Group::kExchange}};
const Registration kExportMsh{
    {"export-msh", "export-msh LEVEL OUT.msh               write every room's meshes and lights",
     ExportMsh, Group::kExchange}};
const Registration kImportMsh{
    {"import-msh",
     "import-msh LEVEL IN.msh OUT [--geometry-only]  read rooms (and lights, zones) from MSH",
     ImportMsh, Group::kExchange}};
const Registration kExportZqp{
    {"export-zqp", "export-zqp LEVEL OUT.zqp               write the level's project file",
     ExportZqp, Group::kExchange}};
const Registration kImportZqp{
    {"import-zqp", "import-zqp LEVEL IN.zqp OUT            check a project file, save the level",
     ImportZqp, Group::kExchange}};

}  // namespace qavel::cli
