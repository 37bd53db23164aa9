// File > "Compare With...": the differences from the open level to another file, and a click on
// a line selects what it names and shows its page; a file that cannot be compared says why.

#include <QListWidget>
#include <QTabWidget>
#include <QTest>

#include "inspect/item_edits.h"
#include "inspect/room_edits.h"
#include "inspect/static_edits.h"
#include "level/level_writer.h"
#include "test_paths.h"
#include "ui/compare_dialog.h"
#include "ui_support.h"

namespace qavel {
namespace {

using test::WindowTest;

TEST_F(WindowTest, CompareWithListsTheDifferencesAndAClickGoesToThem) {
  const std::string demo = test::DataPath("demo.tr4");
  ASSERT_TRUE(test::OpenNow(window, QString::fromStdString(demo)));
  // The other version: item 1 moved, room 1's water switched, static 0.0 moved.
  Ttrlevel other = level();
  ASSERT_GE(other.num_rooms(), 2);
  ASSERT_FALSE(other.rooms[0].statics2.empty());
  const Placement item1 = *edit::ItemPlacement(other, 1);
  edit::PlaceItem(other, 1, {item1.x + 512, item1.y, item1.z, item1.angle})->Apply(other);
  edit::SetRoomFlag(other, 1, kFlagWater, !(other.rooms[1].flags & kFlagWater))->Apply(other);
  const tstatic2 s = other.rooms[0].statics2[0];
  edit::PlaceStatic(other, 0, 0, {s.x, s.y, s.z + 1024, s.rotation})->Apply(other);
  const std::string path = test::ScratchDir("compare_with") + "/other.tr4";
  ASSERT_TRUE(WriteLevel(other, path));

  window.show();
  ASSERT_TRUE(window.compareWith(QString::fromStdString(path)));
  CompareDialog* dialog = window.compareDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  QListWidget* list = test::FindIn<QListWidget>(dialog, "CompareList");
  QStringList lines;
  for (int row = 0; row < list->count(); ++row) lines << list->item(row)->text();
  ASSERT_EQ(lines.size(), 3) << lines.join("\n").toStdString();
  const auto row_of = [&lines](const char* start) {
    for (int row = 0; row < lines.size(); ++row)
      if (lines[row].startsWith(start)) return row;
    ADD_FAILURE() << "no line starts with " << start;
    return 0;
  };
  // Each click selects what the line names and shows the page of it.
  const auto click = [list](int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
  };
  const Selection& sel = window.session().selection();
  click(row_of("item 1 x: "));
  EXPECT_EQ(sel.item(), 1);
  EXPECT_EQ(window.pages()->currentWidget()->objectName(), "TabSheet2");
  click(row_of("static 0.0 z: "));
  EXPECT_EQ(sel.room(), 0);
  EXPECT_EQ(sel.static_instance(), 0);
  EXPECT_EQ(window.pages()->currentWidget()->objectName(), "TabSheet4");
  click(row_of("room 1 flags: water "));
  EXPECT_EQ(sel.room(), 1);

  // The level with itself: nothing differs. A file that is no level: one message, list kept.
  ASSERT_TRUE(window.compareWith(QString::fromStdString(demo)));
  EXPECT_EQ(list->count(), 0);
  EXPECT_TRUE(messages.isEmpty());
  EXPECT_FALSE(window.compareWith(QString::fromStdString(test::DataPath("trcatalog.xml"))));
  EXPECT_EQ(messages.size(), 1);
}

}  // namespace
}  // namespace qavel
