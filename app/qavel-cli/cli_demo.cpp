// make-demo: writes the demo level that ships as data/demo.tr4.

#include "commands.h"
#include "demo/demo_level.h"
#include "level/level_writer.h"

namespace qavel::cli {

namespace {

Result MakeDemo(const Args& args) {
  if (args.size() != 1) return Fail("usage: qavel-cli make-demo OUT");
  return WriteLevel(BuildDemoLevel(), args[0]).result();
}

const Registration kMakeDemo{
    {"make-demo", "make-demo OUT          write the demo level to OUT", MakeDemo, Group::kOther}};

}  // namespace

}  // namespace qavel::cli
