// sector: the "Floor Data" tab of one sector as text.

#include <cstdio>

#include "commands.h"

namespace qavel::cli {

namespace {

Result Sector(const Args& in) {
  Args args = in;
  std::string catalog;
  if (Result r = TakeCatalogOption(args, catalog); !r) return r;
  if (args.size() != 4)
    return Fail("usage: qavel-cli sector LEVEL ROOM COLUMN ROW [--catalog FILE]");
  long long room = 0, column = 0, row = 0;
  for (Result r : {ParseIntArg(args[1], "ROOM", room), ParseIntArg(args[2], "COLUMN", column),
                   ParseIntArg(args[3], "ROW", row)})
    if (!r) return r;
  const Expected<LevelBundle> bundle = LoadNamedLevel(args[0], catalog);
  if (!bundle) return bundle.result();
  const LevelBundle& L = *bundle;
  if (room < 0 || room >= L.level.num_rooms())
    return Fail("room " + args[1] + " does not exist (the level has " +
                std::to_string(L.level.num_rooms()) + " rooms)");
  const troom& r = L.level.rooms[static_cast<size_t>(room)];
  const auto text =
      column < 1 || row < 1 || column > 0xFFFF || row > 0xFFFF
          ? std::nullopt
          : DecodeSector(L.level, L.floor_data, static_cast<size_t>(room), static_cast<int>(column),
                         static_cast<int>(row), L.names.AsObjectNames());
  if (!text)
    return Fail("column " + args[2] + ", row " + args[3] + " lies outside room " + args[1] + " (" +
                std::to_string(r.num_x_sectors) + " columns, " + std::to_string(r.num_z_sectors) +
                " rows)");
  std::printf("Raw floor data\n");
  for (const auto& line : text->raw) std::printf("%s\n", line.c_str());
  std::printf("\nTrigger Details\n");
  for (const auto& line : text->details) std::printf("%s\n", line.c_str());
  return Result::Ok();
}

}  // namespace

const Registration kSector{
    {"sector",
     "sector LEVEL ROOM COLUMN ROW [--catalog FILE]  raw and decoded floor data of a sector",
     Sector, Group::kInspect}};

}  // namespace qavel::cli
