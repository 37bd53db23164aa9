#include "editor/room_commands.h"

#include "editor/edit_commands.h"
#include "editor/panel_texts.h"

namespace qavel {

namespace {

const char* FlagCommandName(RoomFlagBit bit) {
  switch (bit) {
    case kFlagWater:
      return "Water Enabled";
    case kFlagSky:
      return "Sky Enabled";
    case kFlagOutdoor:
      return "Outdoor Enabled";
    case kFlagQuicksand:
      return "QuickSand Enabled";
  }
  return "";
}

}  // namespace

Result SetRoomFlag(EditorSession& session, RoomFlagBit bit, bool on) {
  if (!session.HasLevel()) return NoLevel();
  LevelDocument& doc = session.document();
  const int r = session.selection().room();
  const uint16_t before = doc.level().rooms.at(r).flags;
  const auto after = static_cast<uint16_t>(on ? before | bit : before & ~bit);
  if (after == before) return Result::Ok();
  doc.undo_stack().push(new ChangeValueCommand<uint16_t>(
      &doc, QString::fromUtf8(FlagCommandName(bit)), {Change::kRoom, r, r}, kNoMerge, before, after,
      [r](Ttrlevel& level, const uint16_t& v) { level.rooms.at(r).flags = v; }));
  return Result::Ok();
}

Result SetWeatherValue(EditorSession& session, uint16_t value) {
  LevelDocument& doc = session.document();
  if (!doc.level().IsLoaded()) return NoLevel();
  const uint16_t before = Weather(doc.level());
  if (before == value) return Result::Ok();
  doc.undo_stack().push(new ChangeValueCommand<uint16_t>(
      &doc, QStringLiteral("TRC Weather"), {Change::kWeather, -1, value}, kNoMerge, before, value,
      [](Ttrlevel& level, const uint16_t& v) { SetWeather(level, v); }));
  return Result::Ok();
}

Result SetTrcValue(EditorSession& session, int line, int32_t value) {
  if (!session.HasLevel()) return NoLevel();
  if (line < 0 || line >= kTrcValueLines) return Refused("Choose a line of the list first.");
  if (std::string why = TrcValueLockedReason(line); !why.empty()) return Refused(std::move(why));
  LevelDocument& doc = session.document();
  const int r = session.selection().room();
  const uint32_t before = TrcValue(doc.level().rooms.at(r), line);
  const auto after = static_cast<uint32_t>(value);
  if (after == before) return Result::Ok();
  doc.undo_stack().push(new ChangeValueCommand<uint32_t>(
      &doc, QStringLiteral("<<EDIT>>"), {Change::kRoom, r, r}, kNoMerge, before, after,
      [r, line](Ttrlevel& level, const uint32_t& v) {
        TrcValueField(level.rooms.at(r), line) = v;
      }));
  return Result::Ok();
}

}  // namespace qavel
