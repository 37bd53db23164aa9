#pragma once
// The open level's problems (check/check_level.h) as the programs follow them through edits:
// which problems a change brought, and the one-line summary both programs print.

#include <optional>
#include <string>
#include <vector>

#include "check/check_level.h"

namespace qavel {

// The problems of `after` that `before` lacks (the same fault in the same record counts as the
// same problem), in the order of `after`; only those of `severity` when one is given.
std::vector<Problem> NewProblems(const std::vector<Problem>& before,
                                 const std::vector<Problem>& after,
                                 std::optional<Severity> severity = std::nullopt);

// "3 errors, 1 warnings": the counts as the check command prints them.
std::string ProblemsSummary(const std::vector<Problem>& problems);

}  // namespace qavel
