// Writes small levels of every generation as seeds for the reader's fuzz target.

#include <string>

#include "fixtures/tiny_level.h"
#include "level/level_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string dir = argv[1];
  const std::pair<int32_t, const char*> kinds[] = {
      {qavel::kTR1, "seed.phd"},  {qavel::kTR1Tub, "seed.tub"}, {qavel::kTR2, "seed.tr2"},
      {qavel::kTR3, "seed3.tr2"}, {qavel::kTR4, "seed.tr4"},    {qavel::kTR5, "seed.trc"}};
  for (const auto& [kind, name] : kinds) {
    qavel::Ttrlevel level = qavel::test::MakeTinyLevel(kind);
    // No texture pages: small seeds mutate faster.
    level.num_pages = 0;
    level.pages8 = level.pages16 = level.pages32 = qavel::SharedBlock{};
    if (!qavel::WriteLevel(level, dir + "/" + name)) return 1;
  }
  return 0;
}
