#pragma once
// The floor-data side of the window: the sector map of the selected room, the texts of the
// Floor Data tab for the selected sector, and the two trigger searches, which select the room
// and sector they find.

#include <QImage>
#include <optional>
#include <string>
#include <vector>

#include "editor/editor_session.h"

namespace qavel {

// The two texts of the Floor Data tab for one sector.
struct SectorTexts {
  std::vector<std::string> raw;      // "Raw floor data"
  std::vector<std::string> details;  // "Trigger Details"
};

// The selected room's sector map with the selected sector framed; null without a level.
QImage SectorMapImage(const EditorSession& session);
// A left click at pixel (x, y) of the map selects the sector under it; false (and nothing
// selected) when the click falls outside the room's cells.
bool ClickSectorMap(EditorSession& session, int x, int y);
// The texts of the selected sector; nothing when no sector of the room is selected.
std::optional<SectorTexts> DecodeSelectedSector(const EditorSession& session);
// "Column:" c " Row:" r of the selected sector.
std::string SectorStatus(const EditorSession& session);

// Where the selected item-list entry is triggered. first restarts the search at the first
// group; otherwise it goes on after the last hit. A hit selects its room and sector.
Result FindItemTrigger(EditorSession& session, bool first);
// Triggers whose type and command match the two search lists (entry 0 is "ANY").
Result FindTriggerByCriteria(EditorSession& session, int type_entry, int command_entry, bool first);

}  // namespace qavel
