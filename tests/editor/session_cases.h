#pragma once
// What every command test shares: a session on the editor fixture level, the file helpers, and
// the check of a refusal: it says why and changes nothing, not even the undo stack.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "editor/editor_session.h"
#include "fixtures/editor_fixture.h"

namespace qavel::test {

using Command = std::function<Result(EditorSession&)>;

// A command with its arguments bound: Do(RotateItem), Do(SetItemPosition, Axis::kX, 3).
template <class... Params, class... Args>
Command Do(Result (*command)(EditorSession&, Params...), Args... args) {
  return [=](EditorSession& s) { return command(s, args...); };
}

// Selects an item-list entry; selects a static of room 0.
inline std::function<void(EditorSession&)> Item(int entry) {
  return [entry](EditorSession& s) { s.selection().SelectItem(entry); };
}
inline std::function<void(EditorSession&)> Static(int instance) {
  return [instance](EditorSession& s) {
    s.selection().SelectRoom(0);
    s.selection().SelectStatic(instance);
  };
}

struct RefusalCase {
  const char* what;
  std::function<void(EditorSession&)> select;
  Command run;
  const char* message;
};

inline void ExpectEachRefused(EditorSession& session, const std::vector<RefusalCase>& cases) {
  const Ttrlevel before = session.level();
  const int steps = session.undo_stack().count();
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.what);
    c.select(session);
    const Result r = c.run(session);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.message(), c.message);
    EXPECT_EQ(session.level().FirstDifference(before), "");
    EXPECT_EQ(session.undo_stack().count(), steps);
  }
}

// A session on the fixture level (six rooms, three items, two aux records, two statics).
class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override { session.document().Adopt(MakeEditorLevel(), "memory.tr4"); }
  const Ttrlevel& level() const { return session.level(); }
  Selection& select() { return session.selection(); }
  EditorSession session;
};

inline std::vector<char> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace qavel::test
