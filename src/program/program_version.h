#pragma once
// The version both programs state: the project's version, followed by the commit it was built
// from when it was built from a git checkout ("1.1 (commit 0123abcd)"), with ", modified" when
// that checkout held changes.

namespace qavel {

const char* ProgramVersion();

}  // namespace qavel
