#pragma once
// Edit scripts: the panels' edits written as lines of text ("item 3 x=1040 angle=90"), for
// batch work without the window. Each line becomes the same edits (item_edits.h, static_edits.h,
// room_edits.h, face_edits.h, exchange_edits.h) the window's commands make, applied in order.
// A script is all or nothing: the first line refused leaves the level as it was, and the refusal
// names the line and what it says.

#include <string>
#include <string_view>
#include <vector>

#include "level/result.h"
#include "level/ttrlevel.h"

namespace qavel {

// One edit of a script and where it came from ("line 4", "edit 2"), for the refusal.
struct ScriptLine {
  std::string where;
  std::string text;
};

// The edits of a script file: one a line; blank lines and lines starting with '#' are skipped.
std::vector<ScriptLine> ScriptLines(std::string_view text);

// Applies every line in order to the level. A refusal reads "line 4: item 9 x=10: why"; the
// level is then exactly as it was. Files named by the import lines are read from the paths as
// written (relative to the working directory).
Result ApplyEditScript(Ttrlevel& level, const std::vector<ScriptLine>& lines);

// What an edit line may say: every form and field, for the help.
const char* EditScriptHelp();

}  // namespace qavel
