// Room flags, the weather and the Experiments values: each one undoable bit or value.

#include "editor/room_commands.h"

#include "../support/test_paths.h"
#include "inspect/panel_texts.h"
#include "level/level_reader.h"
#include "session_cases.h"

namespace qavel {
namespace {

using test::Do;
using RoomCommandsTest = test::SessionTest;

auto Room(int r) {
  return [r](EditorSession& s) { s.selection().SelectRoom(r); };
}

TEST_F(RoomCommandsTest, EveryEditIsOneNamedStepThatUndoesExactly) {
  test::ExpectEachUndoesExactly(session,
                                {
                                    {"Sky Enabled", Room(0), Do(SetRoomFlag, kFlagSky, true)},
                                    {"Water Enabled", Room(0), Do(SetRoomFlag, kFlagWater, false)},
                                    {"TRC Weather", Room(2), Do(SetWeatherValue, uint16_t{1})},
                                    {"<<EDIT>>", Room(0), Do(SetTrcValue, 5, -9)},
                                });
  const char* line = "Choose a line of the list first.";
  const std::string locked = TrcValueLockedReason(8);
  EXPECT_NE(locked, "");
  test::ExpectEachRefused(session,
                          {{"line 13", Room(0), Do(SetTrcValue, 13, 1), line},
                           {"line -1", Room(0), Do(SetTrcValue, -1, 1), line},
                           {"Unknown11", Room(0), Do(SetTrcValue, 8, 1), locked.c_str()},
                           {"Unknown15", Room(0), Do(SetTrcValue, 12, 1), locked.c_str()}});
  EditorSession empty;
  EXPECT_EQ(SetRoomFlag(empty, kFlagWater, true).status(), Status::kNothingLoaded);
  EXPECT_EQ(SetWeatherValue(empty, 1).status(), Status::kNothingLoaded);
}

TEST_F(RoomCommandsTest, FlagsSwitchOneBitEach) {
  // (flags before, bit, on, flags after)
  const struct {
    uint16_t before;
    RoomFlagBit bit;
    bool on;
    uint16_t after;
  } cases[] = {{0x0009, kFlagWater, false, 0x0008},
               {0x0100, kFlagQuicksand, true, 0x0180},
               {0x0180, kFlagQuicksand, true, 0x0180},  // already set: no step
               {0xFFFF, kFlagOutdoor, false, 0xFFDF}};
  for (const auto& c : cases) {
    Ttrlevel base = test::MakeEditorLevel();
    base.rooms[0].flags = c.before;
    session.document().Adopt(base, "memory.tr4");
    ASSERT_TRUE(SetRoomFlag(session, c.bit, c.on));
    EXPECT_EQ(level().rooms[0].flags, c.after);
    EXPECT_EQ(session.undo_stack().count(), c.before == c.after ? 0 : 1);
  }
}

TEST_F(RoomCommandsTest, ExperimentsLineFiveIsTheThirdUnknown7) {
  ASSERT_TRUE(SetTrcValue(session, 5, 99));
  EXPECT_EQ(level().rooms[0].trc_unknown7, (std::array<uint32_t, 5>{1, 2, 99, 4, 5}));
  EXPECT_EQ(TrcValueLines(level().rooms[0])[5], "Unknown7: 99");
}

// Every line that can be edited reaches a TR5 file.
TEST(RoomCommandsRealLevels, Tr5ValuesReachTheFile) {
  QAVEL_REAL_LEVEL_OR_SKIP(path, "TR5");
  EditorSession session;
  ASSERT_TRUE(session.document().Open(path));
  session.selection().SelectRoom(0);
  std::vector<int> lines;
  for (int line = 0; line < kTrcValueLines; ++line)
    if (TrcValueLockedReason(line).empty()) lines.push_back(line);
  for (int line : lines) ASSERT_TRUE(SetTrcValue(session, line, 1000 + line));
  const std::string out = test::ScratchDir("editor_trc_values") + "/level.trc";
  ASSERT_TRUE(session.document().SaveAs(out));
  Expected<Ttrlevel> back = ReadLevel(out);
  ASSERT_TRUE(back) << back.message();
  for (int line : lines)
    EXPECT_EQ(TrcValue(back->rooms[0], line), static_cast<uint32_t>(1000 + line)) << line;
}

}  // namespace
}  // namespace qavel
