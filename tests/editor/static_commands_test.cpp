// The Static Meshes panel's commands: every edit undone exactly, both forms in step, the room's
// capacity, and the TR1 file that holds the first form.

#include "editor/static_commands.h"

#include "../support/test_paths.h"
#include "level/level_reader.h"
#include "session_cases.h"

namespace qavel {
namespace {

using test::Do;
using test::Static;
using StaticCommandsTest = test::SessionTest;

TEST_F(StaticCommandsTest, EveryEditIsOneNamedStepThatUndoesExactly) {
  test::ExpectEachUndoesExactly(session,
                                {
                                    {"Change ID", Static(0), Do(ChangeStaticId, 8)},
                                    {"Change -X-", Static(1), Do(SetStaticPosition, Axis::kX, 4)},
                                    {"Change -Y-", Static(1), Do(SetStaticPosition, Axis::kY, -4)},
                                    {"Change -Z-", Static(0), Do(SetStaticPosition, Axis::kZ, 9)},
                                    {"Rotate", Static(0), Do(RotateStatic)},
                                    {"Change L1,L2", Static(1), Do(ChangeStaticLights, 1, 2)},
                                    {"Duplicate", Static(1), Do(DuplicateStatic)},
                                });
  const char* none = "No static mesh is selected.";
  test::ExpectEachRefused(session, {{"rotate", Static(-1), Do(RotateStatic), none},
                                    {"duplicate", Static(-1), Do(DuplicateStatic), none}});
}

TEST_F(StaticCommandsTest, EditsKeepTheFirstFormInStepAndStopAtFifty) {
  Static(1)(session);
  ASSERT_TRUE(SetStaticPosition(session, Axis::kY, 4));
  EXPECT_EQ(+level().rooms[0].statics2[1].y, 1024);
  EXPECT_EQ(+level().rooms[0].statics1[1].y, 1024);
  ASSERT_TRUE(ChangeStaticLights(session, 100, 200));
  EXPECT_EQ(+level().rooms[0].statics1[1].intensity, 100);
  for (int i = 0; i < 8; ++i) ASSERT_TRUE(RotateStatic(session));
  EXPECT_EQ(+level().rooms[0].statics2[1].rotation, 0);

  ASSERT_TRUE(DuplicateStatic(session));
  EXPECT_EQ(session.selection().static_instance(), 2);
  EXPECT_EQ(level().rooms[0].statics2[2], level().rooms[0].statics2[1]);
  EXPECT_EQ(level().rooms[0].statics1.size(), 3u);
  while (level().rooms[0].num_static_instances() < 50) ASSERT_TRUE(DuplicateStatic(session));
  test::ExpectEachRefused(session,
                          {{"full", Static(0), [](EditorSession& s) { return DuplicateStatic(s); },
                            "This room already holds 50 static meshes; no more can be "
                            "added."}});
}

TEST_F(StaticCommandsTest, UndoShowsTheEditedStaticInItsRoom) {
  Static(1)(session);
  ASSERT_TRUE(SetStaticPosition(session, Axis::kX, 2));
  session.selection().SelectRoom(3);
  session.undo_stack().undo();
  EXPECT_EQ(session.selection().room(), 0);
  EXPECT_EQ(session.selection().static_instance(), 1);
}

TEST(StaticCommandsRealLevels, Tr1StaticPositionReachesTheFile) {
  QAVEL_REAL_LEVEL_OR_SKIP(path, "TR1");
  EditorSession session;
  ASSERT_TRUE(session.document().Open(path));
  int room = -1;
  for (int r = 0; r < session.level().num_rooms() && room < 0; ++r)
    if (session.level().rooms[r].num_static_instances() > 0) room = r;
  if (room < 0) GTEST_SKIP() << "the TR1 level has no static meshes";
  session.selection().SelectRoom(room);
  session.selection().SelectStatic(0);
  ASSERT_TRUE(SetStaticPosition(session, Axis::kX, 7));
  ASSERT_TRUE(ChangeStaticLights(session, 321, 5));
  const std::string out = test::ScratchDir("editor_tr1_static") + "/level.phd";
  ASSERT_TRUE(session.document().SaveAs(out));
  EXPECT_FALSE(session.document().IsModified());
  Expected<Ttrlevel> reread = ReadLevel(out);
  ASSERT_TRUE(reread) << reread.message();
  EXPECT_EQ(+reread->rooms[room].statics2[0].x, 7 * 512);
  EXPECT_EQ(+reread->rooms[room].statics1[0].intensity, 321);
}

}  // namespace
}  // namespace qavel
