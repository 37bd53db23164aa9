// The demo level as the floor-data fixture: it holds every function number, trigger type and
// command, camera commands with their second word, and a trigger no sector uses. Its searches
// and other sector texts are checked as a user meets them: by the command-line tests and the
// editor's floor commands.

#include <gtest/gtest.h>

#include <set>

#include "floordata/floor_data.h"
#include "floordata/trigger_text.h"
#include "level/level_reader.h"
#include "test_paths.h"

namespace qavel {
namespace {

class DemoFloorData : public ::testing::Test {
 protected:
  void SetUp() override {
    level = test::ReadLevelOrFail(test::DataPath("demo.tr4"));
    ASSERT_TRUE(level.IsLoaded());
    fd = ParseFloorData(level);
  }
  Ttrlevel level;
  FloorData fd;
};

TEST_F(DemoFloorData, EveryFunctionTypeAndCommandIsDecoded) {
  ASSERT_EQ(fd.num_groups(), 27u);
  std::set<int> functions, types, commands;
  for (const auto& g : fd.FloorDataGroups)
    for (const auto& fn : g.functions) {
      functions.insert(fn.function);
      if (fn.function != 4) continue;
      types.insert(fn.trigger.trigger_type);
      for (const auto& c : fn.trigger.commands) commands.insert(c.command);
    }
  for (int f = 0; f <= 21; ++f) EXPECT_TRUE(functions.count(f)) << "function " << f;
  EXPECT_TRUE(functions.count(26) && functions.count(28));
  EXPECT_EQ(types.size(), 14u);
  EXPECT_EQ(commands.size(), 16u);
  // The camera whose second word ends the list: the next group starts right after it.
  const auto& camera_end = fd.Group(fd.GroupOf(22));
  ASSERT_EQ(camera_end.functions.at(0).trigger.command_count, 2);
  EXPECT_EQ(camera_end.functions[0].trigger.commands[1].camera_extra, 0x0A00);
  EXPECT_EQ(fd.GroupOf(27), 8u);
}

// A camera command in the middle of a list, with the items named through the catalog callback.
TEST_F(DemoFloorData, TriggerWithCameraInTheMiddle) {
  const auto text =
      DecodeSector(level, fd, 0, 3, 2, [](uint32_t id) { return "#" + std::to_string(id); });
  ASSERT_TRUE(text);
  EXPECT_EQ(
      text->details,
      (std::vector<std::string>{
          "DO WITH ACTIVATE", "Timer            :0", "Flags            :11111-00",
          "Only once    :No", "------- Commands -----------", "Item-0-(1) - #35",
          "Switch_Camera-1-(2,0,1,1)  (raw flag:17)", "Camera Flag-1-:0101", "Item-0-(2) - #41"}));
}

}  // namespace
}  // namespace qavel
