#pragma once
// What the edit, script and diff tests share: an edit made as a command makes it, the file of a
// level, and what a difference names.

#include <gtest/gtest.h>

#include "inspect/level_diff.h"
#include "inspect/level_edit.h"
#include "level/level_writer.h"

namespace qavel::test {

inline void Do(Ttrlevel& level, Expected<LevelEdit> edit) {
  ASSERT_TRUE(edit) << edit.message();
  edit->Apply(level);
}

inline Bytes FileOf(const Ttrlevel& level, const std::string& name) {
  const Expected<WrittenLevel> written = WriteLevelBytes(level, name);
  EXPECT_TRUE(written) << written.message();
  return written ? written->bytes : Bytes{};
}

// "record field" of every difference, in order; with `text`, each difference's line.
inline std::vector<std::string> Changed(const Ttrlevel& a, const Ttrlevel& b, bool text = false) {
  const auto diffs = DiffLevels(a, b);
  EXPECT_TRUE(diffs) << diffs.message();
  std::vector<std::string> out;
  if (diffs)
    for (const LevelDifference& d : *diffs)
      out.push_back(text ? d.Text() : d.field.empty() ? d.record : d.record + " " + d.field);
  return out;
}

}  // namespace qavel::test
