// make-demo: writes the demo level that ships as data/demo.tr4.

#include "commands.h"
#include "fixtures/demo_level.h"
#include "level/level_writer.h"

namespace qavel::cli {

namespace {

int MakeDemo(const Args& args) {
  if (args.size() != 1) return Fail("usage: qavel-cli make-demo OUT");
  const auto written = WriteLevel(BuildDemoLevel(), args[0]);
  if (!written) return Fail(written.message());
  return 0;
}

const Registration kMakeDemo{
    {"make-demo", "make-demo OUT          write the demo level to OUT", MakeDemo, Group::kOther}};

}  // namespace

}  // namespace qavel::cli
