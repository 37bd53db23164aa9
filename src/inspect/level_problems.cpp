#include "inspect/level_problems.h"

#include <algorithm>
#include <tuple>

namespace qavel {

namespace {

// What makes two problems the same fault (Problem::SameFault), as an ordered key.
auto FaultKey(const Problem& p) {
  const ProblemPlace& w = p.where;
  return std::make_tuple(p.code, w.kind, w.index, w.room, w.column, w.row, w.object_id);
}

}  // namespace

std::vector<Problem> NewProblems(const std::vector<Problem>& before,
                                 const std::vector<Problem>& after,
                                 std::optional<Severity> severity) {
  // A level can hold thousands of problems: the old ones are sorted once and looked up.
  using Key = decltype(FaultKey(Problem{}));
  std::vector<Key> known;
  known.reserve(before.size());
  for (const Problem& p : before) known.push_back(FaultKey(p));
  std::sort(known.begin(), known.end());
  std::vector<Problem> added;
  for (const Problem& p : after) {
    if (severity && p.severity != *severity) continue;
    if (!std::binary_search(known.begin(), known.end(), FaultKey(p))) added.push_back(p);
  }
  return added;
}

std::string ProblemsSummary(const std::vector<Problem>& problems) {
  return std::to_string(CountProblems(problems, Severity::kError)) + " errors, " +
         std::to_string(CountProblems(problems, Severity::kWarning)) + " warnings";
}

}  // namespace qavel
