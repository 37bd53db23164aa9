// map: the sector map of a room as a PNG picture.

#include <cstdio>

#include "commands.h"
#include "floordata/sector_map.h"

namespace qavel::cli {

namespace {

Result Map(const Args& in) {
  Args args = in;
  std::string column_text, row_text;
  bool has_column = false, has_row = false;
  for (Result r : {TakeOption(args, "--column", column_text, has_column),
                   TakeOption(args, "--row", row_text, has_row)})
    if (!r) return r;
  if (args.size() != 3 || has_column != has_row)
    return Fail("usage: qavel-cli map LEVEL ROOM OUT.png [--column C --row R]");
  long long room = 0, column = -1, row = -1;
  if (Result r = ParseIntArg(args[1], "ROOM", room); !r) return r;
  if (has_column)
    for (Result r :
         {ParseIntArg(column_text, "--column", column), ParseIntArg(row_text, "--row", row)})
      if (!r) return r;
  const Expected<Ttrlevel> read = LoadLevel(args[0]);
  if (!read) return read.result();
  const Ttrlevel& level = *read;
  if (room < 0 || room >= level.num_rooms())
    return Fail("room " + args[1] + " does not exist (the level has " +
                std::to_string(level.num_rooms()) + " rooms)");
  const FloorData fd = ParseFloorData(level);
  const auto clamp = [](long long v) { return v < -1 || v > 0xFFFF ? -1 : static_cast<int>(v); };
  const SectorMap map =
      BuildSectorMap(level, fd, static_cast<size_t>(room), clamp(column), clamp(row));
  if (const Result written = WritePng(PaintSectorMap(map), args[2]); !written) return written;
  std::printf("%s: %d x %d pixels, %d columns, %d rows\n", args[2].c_str(), map.width, map.height,
              map.num_x, map.num_z);
  return Result::Ok();
}

}  // namespace

const Registration kMap{
    {"map", "map LEVEL ROOM OUT.png [--column C --row R]  the room's sector map as a picture", Map,
     Group::kView}};

}  // namespace qavel::cli
