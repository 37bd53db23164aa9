// Edit scripts of any text applied to the demo level: a script is made whole or refused with one
// line that names the script line, and a refused script leaves the level exactly as it was.
// Import lines are left out: they read files named by the input.

#include <cstdlib>
#include <string_view>

#include "demo/demo_level.h"
#include "inspect/edit_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qavel;
  static const Ttrlevel demo = BuildDemoLevel();
  std::vector<ScriptLine> lines =
      ScriptLines(std::string_view(reinterpret_cast<const char*>(data), size));
  std::erase_if(lines,
                [](const ScriptLine& l) { return l.text.find("import") != std::string::npos; });
  Ttrlevel level = demo;
  const Result r = ApplyEditScript(level, lines);
  if (!r) {
    if (r.message().rfind("line ", 0) != 0 || r.message().find('\n') != std::string::npos)
      std::abort();
    if (!level.FirstDifference(demo).empty()) std::abort();
  }
  return 0;
}
