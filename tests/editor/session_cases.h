#pragma once
// What the command tests share: a session on the editor fixture level and the file helper.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "editor/editor_session.h"
#include "fixtures/test_level.h"

namespace qavel::test {

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
