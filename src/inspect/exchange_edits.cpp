#include "inspect/exchange_edits.h"

#include "inspect/level_bundle.h"
#include "inspect/level_problems.h"
#include "inspect/refusals.h"

namespace qavel::edit {

Expected<ImportEdit> ImportFile(const Ttrlevel& level, ExchangeFormatId format, int room,
                                const std::string& path) {
  if (!HasRooms(level)) return NoLevel();
  const ExchangeFormat& f = GetExchangeFormat(format);
  if (f.per_room && (room < 0 || room >= level.num_rooms()))
    return Refused("Room " + std::to_string(room) + " does not exist in this level.");
  Ttrlevel after = level;
  Result read = f.import_file(after, static_cast<size_t>(room < 0 ? 0 : room), path);
  if (!read) return read;
  const std::vector<Problem> added =
      NewProblems(CheckLevel(level), CheckLevel(after), Severity::kError);
  if (!added.empty()) {
    std::string why = path + " was not imported: it would leave the level with " +
                      std::to_string(added.size()) + (added.size() == 1 ? " error" : " errors") +
                      " that may crash the game; the first: " + added.front().message + ".";
    return Refused(std::move(why));
  }
  return ImportEdit{ReplaceLevelEdit(f.import_command, level, std::move(after)), read.message()};
}

}  // namespace qavel::edit
