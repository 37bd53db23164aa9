#include "editor/floor_commands.h"

#include <cstring>

#include "floordata/floor_data.h"
#include "floordata/searches.h"
#include "floordata/sector_map.h"
#include "inspect/refusals.h"

namespace qavel {

QImage SectorMapImage(const EditorSession& session) {
  if (!session.HasLevel()) return {};
  const Selection& sel = session.selection();
  const SectorMap map = BuildSectorMap(session.level(), session.document().floor_data(),
                                       static_cast<size_t>(sel.room()), sel.column(), sel.row());
  const Image24 picture = PaintSectorMap(map);
  if (picture.width() <= 0 || picture.height() <= 0) return {};
  QImage image(picture.width(), picture.height(), QImage::Format_RGB888);
  for (int y = 0; y < picture.height(); ++y)
    std::memcpy(image.scanLine(y), picture.pixels().data() + size_t(y) * picture.width() * 3,
                size_t(picture.width()) * 3);
  return image;
}

bool ClickSectorMap(EditorSession& session, int x, int y) {
  if (!session.HasLevel()) return false;
  const SectorMap map = BuildSectorMap(session.level(), session.document().floor_data(),
                                       static_cast<size_t>(session.selection().room()));
  const auto cell = SectorMapCellAt(map, x, y);
  if (!cell) return false;
  session.selection().SelectSector(cell->first, cell->second);
  return true;
}

std::optional<SectorTexts> DecodeSelectedSector(const EditorSession& session) {
  const Selection& sel = session.selection();
  if (!session.HasLevel() || !sel.HasSector()) return std::nullopt;
  const auto text = DecodeSector(session.level(), session.document().floor_data(),
                                 static_cast<size_t>(sel.room()), sel.column(), sel.row(),
                                 session.document().names().AsObjectNames());
  if (!text) return std::nullopt;
  return SectorTexts{text->raw, text->details};
}

std::string SectorStatus(const EditorSession& session) {
  return SectorStatusText(session.selection().column(), session.selection().row());
}

namespace {

// Runs one search from the session's cursor, keeps the cursor it leaves and shows a hit.
template <class Search>
Result RunSearch(EditorSession& session, bool first, Search search) {
  SearchCursor cursor{session.search_cursor()};
  if (first)
    cursor.Restart();
  else
    cursor.Advance();
  const SearchResult r = search(cursor);
  session.set_search_cursor(cursor.value);
  if (r.kind != SearchResult::kFound) return Refused(r.message);
  session.selection().SelectRoom(static_cast<int>(r.place.room));
  session.selection().SelectSector(r.place.column, r.place.row);
  return Result::Ok();
}

}  // namespace

Result FindItemTrigger(EditorSession& session, bool first) {
  if (!session.HasLevel()) return NoLevel();
  if (session.selection().item() < 0) return Refused("No item is selected.");
  const auto item = static_cast<uint32_t>(session.selection().item());
  return RunSearch(session, first, [&](SearchCursor& c) {
    return FindTriggerForItem(session.level(), session.document().floor_data(), c, item);
  });
}

Result FindTriggerByCriteria(EditorSession& session, int type_entry, int command_entry,
                             bool first) {
  if (!session.HasLevel()) return NoLevel();
  return RunSearch(session, first, [&](SearchCursor& c) {
    return qavel::FindTriggerByCriteria(session.level(), session.document().floor_data(), c,
                                        type_entry, command_entry);
  });
}

}  // namespace qavel
