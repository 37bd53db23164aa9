#pragma once
// The demo level: a small TR4 level built entirely by our own code. It is the program's default
// level and the fixture later features test against; data/demo.tr4 is this level written out.

#include "level/ttrlevel.h"

namespace qavel {

// Builds the demo level in the model, ready for WriteLevel/WriteLevelBytes. The result holds the
// forms the reader derives (vertices1, statics1, items1, animated-texture groups, palette entry 0)
// so that reading the written file gives an equal model.
Ttrlevel BuildDemoLevel();

}  // namespace qavel
