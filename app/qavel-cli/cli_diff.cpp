// diff: what differs between two levels of one generation, record by record.

#include <cstdio>

#include "commands.h"
#include "inspect/level_diff.h"

namespace qavel::cli {

namespace {

Result Diff(const Args& in) {
  Args args = in;
  const bool json = TakeFlag(args, "--json");
  if (args.size() != 2) return Fail("usage: qavel-cli diff A B [--json]");
  Expected<Ttrlevel> a = LoadLevel(args[0]);
  if (!a) return a.result();
  Expected<Ttrlevel> b = LoadLevel(args[1]);
  if (!b) return b.result();
  const Expected<std::vector<LevelDifference>> diffs = DiffLevels(*a, *b);
  if (!diffs) return diffs.result();
  if (json) {
    std::printf("[");
    const char* separator = "\n";
    for (const LevelDifference& d : *diffs) {
      std::printf("%s  {\"record\": %s, \"field\": %s, \"before\": %s, \"after\": %s}", separator,
                  JsonQuoted(d.record).c_str(), JsonQuoted(d.field).c_str(),
                  JsonQuoted(d.before).c_str(), JsonQuoted(d.after).c_str());
      separator = ",\n";
    }
    std::printf("%s]\n", diffs->empty() ? "" : "\n");
  } else {
    for (const LevelDifference& d : *diffs) std::printf("%s\n", d.Text().c_str());
  }
  // Like diff(1): 0 when the levels are equal, 1 when they differ, 2 when they cannot be compared.
  return diffs->empty() ? Result::Ok() : Reported();
}

const Registration kDiff{{"diff",
                          "diff A B [--json]  what differs between two levels of one generation, "
                          "record by record (exit 0 when equal, 1 when they differ, 2 on error)",
                          Diff, Group::kInspect, 2}};

}  // namespace

}  // namespace qavel::cli
