#include "floordata/trigger_text.h"

#include <gtest/gtest.h>

#include "fd_builder.h"

namespace qavel {
namespace {

using test::Cmd;
using test::Fn;

// Lines of the first function of group 1 of a stream, with items named by object id.
std::vector<std::string> Describe(const Ttrlevel& level) {
  const FloorData fd = ParseFloorData(level);
  return DescribeTrigger(level, fd, 1, 0,
                         [](uint32_t id) { return "Object " + std::to_string(id); });
}

TEST(DescribeTrigger, SetupWordTimerFlagsAndOneShot) {
  Ttrlevel level = test::LevelWithRoom(1, 1, {0, Fn(4, 0, true), 0x3E05, Cmd(3, 1, true)});
  EXPECT_EQ(Describe(level),
            (std::vector<std::string>{"DO WITH ACTIVATE", "Timer            :5",
                                      "Flags            :11111-00", "Only once    :No",
                                      "------- Commands -----------", "Alternate_ON-3-(1)"}));
  level.floor_data[2] = 0x01FF;
  const auto lines = Describe(level);
  EXPECT_EQ(lines[1], "Timer            :-1");
  EXPECT_EQ(lines[2], "Flags            :00000-00");
  EXPECT_EQ(lines[3], "Only once    :Yes");
  EXPECT_EQ(TriggerFlagsText(0xC000), "00000-11");
  EXPECT_EQ(TriggerFlagsText(0x0200), "10000-00");
}

TEST(DescribeTrigger, TriggerItemNamesAndNone) {
  Ttrlevel level = test::LevelWithRoom(1, 1, {0, Fn(4, 2, true), 0, 3, Cmd(0, 2), Cmd(6, 9, true)});
  for (int i = 0; i < 5; ++i) test::AddItem(level, static_cast<uint16_t>(100 + i));
  const auto lines = Describe(level);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], "SWITCH IS ON");
  EXPECT_EQ(lines[4], "Trigger Item(3) - Object 103");
  EXPECT_EQ(lines[6], "Item-0-(2) - Object 102");
  EXPECT_EQ(lines[7], "Look_at_item-6-(9) - None");
  // Without a catalog every id is named by number.
  EXPECT_EQ(ItemName(level, 1, {}), "101");
  EXPECT_EQ(ItemName(level, -1, {}), "None");
}

TEST(DescribeTrigger, EveryCommandLine) {
  std::vector<uint16_t> words = {0, Fn(4, 1, true), 0};
  words.push_back(Cmd(1, 0));
  words.push_back(0x1F55);  // bits 8 and 12 set in the kept part: 0x1F00
  words.push_back(Cmd(2, 1));
  for (uint16_t c = 3; c <= 15; ++c) words.push_back(Cmd(c, c * 10, c == 15));
  Ttrlevel level = test::LevelWithRoom(1, 1, words);
  test::AddCamera(level, 0xBEEF);
  test::AddCamera(level, 0x0042);
  const auto lines = Describe(level);
  const std::vector<std::string> commands(lines.begin() + 5, lines.end());
  EXPECT_EQ(commands, (std::vector<std::string>{
                          "Switch_Camera-1-(1,0,1,1)  (raw flag:31)",
                          "Camera Flag-1-:BEEF",
                          "Underwater_Flow-1-(2)",
                          "Sink-1-:0042",
                          "Alternate_ON-3-(30)",
                          "Alternate_Flag-4-(40)",
                          "Alternate_OFF-5-(50)",
                          "Look_at_item-6-(60) - None",
                          "End Level-7-(70)",
                          "Play_Soundtrack-8-(80)",
                          "Effect-Clock Control-9-(90)",
                          "Secret_Found-10-(100)",
                          "Body_Bag-11-(110)",
                          "Flyby_Camera-12-(120)",
                          "CutScene-13-(130)",
                          "Unknown command #14 With Operand 140",
                          "Unknown command #15 With Operand 150",
                      }));
  EXPECT_EQ(lines[0], "LARA ON GROUND DO ACTIVATE");
}

// Cameras beyond the table show "none"; only triggers are described.
TEST(DescribeTrigger, CamerasBeyondTheTableAndFunctionsThatAreNoTrigger) {
  Ttrlevel camera = test::LevelWithRoom(1, 1, {0, Fn(4, 0, true), 0, Cmd(1, 5), 0x8000});
  test::AddCamera(camera, 1);
  EXPECT_EQ(Describe(camera).back(), "Camera Flag-1-:none");
  camera.floor_data = {0, Fn(4, 0, true), 0, Cmd(2, 1, true)};
  EXPECT_EQ(Describe(camera).back(), "Sink-1-:none");

  EXPECT_EQ(TriggerTypeText(13), "TRC LARA X-RAY");
  EXPECT_EQ(TriggerTypeText(14), "Unknown!!!!");
  const Ttrlevel level = test::LevelWithRoom(1, 1, {0, Fn(2, 0, true), 0});
  const FloorData fd = ParseFloorData(level);
  EXPECT_TRUE(DescribeTrigger(level, fd, 1, 0, {}).empty());
  EXPECT_TRUE(DescribeTrigger(level, fd, 5, 0, {}).empty());
  EXPECT_TRUE(DescribeTrigger(level, fd, 1, 3, {}).empty());
}

}  // namespace
}  // namespace qavel
