// The 3D view in the window: it shows the demo level's room as the command line draws it, turns
// without rebuilding, follows the View menu, and turns clicks and keys into selections and
// edits; the Create Item preview draws the chosen movable.

#include <QCheckBox>
#include <QElapsedTimer>
#include <QProcess>
#include <QSpinBox>
#include <QTest>
#include <fstream>
#include <tuple>

#include "editor/exchange_commands.h"
#include "level/room_faces.h"
#include "ui/create_item_dialog.h"
#include "ui/main_view.h"
#include "ui_support.h"
#include "view/picking.h"

namespace qavel {
namespace {

class ViewTest : public test::WindowTest {
 protected:
  // The demo level in a shown window whose view is 800 x 600; false (test skipped) where
  // there is no OpenGL 3.3.
  bool OpenDemo() {
    if (!window.mainView()) return false;
    view = window.mainView();
    view->setFixedSize(800, 600);
    window.resize(1200, 1000);
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(test::OpenNow(window, QString::fromStdString(test::DataPath("demo.tr4"))));
    Grab();
    return view->failure().isEmpty();
  }
  QImage Grab() { return view->grabFramebuffer().convertToFormat(QImage::Format_RGB32); }
  // The first pixel (on a 4-pixel grid) whose pick, passing over one kind, the test wants.
  template <class F>
  std::optional<std::pair<QPoint, PickResult>> PixelWhere(F&& wanted,
                                                          uint8_t passed = kPassNothing) {
    for (int y = 2; y < view->height(); y += 4)
      for (int x = 2; x < view->width(); x += 4)
        if (const auto hit = Pick(view->list(), view->viewport().Matrices(), x, y, passed);
            hit && wanted(*hit))
          return std::pair{QPoint(x, y), *hit};
    return std::nullopt;
  }
  QString Status(int panel) { return Text(panel == 0 ? "StatusPanel0" : "StatusPanel1"); }

  MainView* view = nullptr;
};

#define QAVEL_DEMO_OR_SKIP() \
  if (!OpenDemo()) GTEST_SKIP() << "no OpenGL 3.3 for the 3D view; skipped"

TEST_F(ViewTest, ShowsTheRoomAsTheCommandLineDrawsItRedrawsAndFollowsTheViewMenu) {
  QAVEL_DEMO_OR_SKIP();
  const QImage shown = Grab();
  // The window selects the first item on open; the command line is told the same.
  const QString out = QString::fromStdString(test::ScratchDir("view_cli") + "/room.png");
  QProcess cli;
  cli.setWorkingDirectory(QString::fromStdString(test::DataPath("")));
  cli.start(QAVEL_CLI, {"render", QString::fromStdString(test::DataPath("demo.tr4")), "0", out,
                        "--item", QString::number(window.session().selection().item())});
  ASSERT_TRUE(cli.waitForFinished(60000));
  ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
  EXPECT_TRUE(QImage(out).convertToFormat(QImage::Format_RGB32) == shown);

  // The mouse and the background draw again without rebuilding.
  TGLViewport& vp = view->viewport();
  const uint64_t builds = vp.build_count(), frames = vp.frame_count();
  const QImage before = Grab();
  // A right drag turns the scene; the wheel zooms.
  QTest::mousePress(view, Qt::RightButton, {}, QPoint(300, 300));
  QMouseEvent move(QEvent::MouseMove, QPointF(360, 320), view->mapToGlobal(QPointF(360, 320)),
                   Qt::NoButton, Qt::RightButton, Qt::NoModifier);
  QApplication::sendEvent(view, &move);
  QTest::mouseRelease(view, Qt::RightButton, {}, QPoint(360, 320));
  EXPECT_EQ(std::tuple(vp.yaw(), vp.pitch()), std::tuple(60, 20));
  QWheelEvent wheel(QPointF(400, 300), view->mapToGlobal(QPointF(400, 300)), {}, {0, 120},
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(view, &wheel);
  EXPECT_GT(vp.camera().zoom, 0);
  const QImage turned = Grab();
  EXPECT_NE(turned, before);
  Trigger("BackgroundcolorBlack1");
  EXPECT_EQ(Grab().pixel(2, 2), qRgb(0, 0, 0));
  EXPECT_EQ(std::tuple(vp.build_count(), vp.frame_count() > frames), std::tuple(builds, true));

  // "Center Camera" frames the room again; with "Automatic" off another room keeps the camera.
  Click("Button1");
  EXPECT_EQ(std::tuple(vp.yaw(), vp.camera().zoom), std::tuple(0, 0.f));
  Find<QCheckBox>("CheckBox1")->setChecked(false);
  const float x = vp.camera().x, z = vp.camera().z;
  Select("ListBox1", 1);
  Grab();
  EXPECT_EQ(std::tuple(vp.camera().x, vp.camera().z, vp.build_count() > builds),
            std::tuple(x, z, true));
  // Each switch of the View menu sets its own option of the scene and builds it once; what the
  // options draw is the renderer's to test.
  const std::pair<const char*, bool ViewOptions::*> switches[] = {
      {"HideStaticMesh1", &ViewOptions::hide_statics},
      {"HideItems1", &ViewOptions::hide_items},
      {"WireframeRoom1", &ViewOptions::wireframe_room},
      {"WireframeObjects1", &ViewOptions::wireframe_objects},
      {"TexturedRoom1", &ViewOptions::standard_room}};
  for (const auto& [action, option] : switches) {
    SCOPED_TRACE(action);
    const ViewOptions before = view->options();
    const uint64_t builds = view->viewport().build_count();
    Trigger(action);
    Grab();
    ViewOptions now = view->options();
    now.*option = !(now.*option);  // back to before, if the switch set its option alone
    const auto fields = [](const ViewOptions& o) {
      return std::tie(o.room, o.item_entry, o.static_entry, o.wireframe_room, o.wireframe_objects,
                      o.hide_items, o.hide_statics, o.standard_room);
    };
    EXPECT_EQ(std::tuple(fields(now) == fields(before), view->viewport().build_count()),
              std::tuple(true, builds + 1));
    Trigger(action);
  }
}

TEST_F(ViewTest, ClicksSelectPaintAndShiftArrowsMove) {
  QAVEL_DEMO_OR_SKIP();
  const Selection& s = window.session().selection();
  QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(400, 500));
  ASSERT_TRUE(s.HasSector());
  EXPECT_EQ(QStringList({Status(0), Status(1), Page()}),
            QStringList({"Object type:1, Index:=12",
                         QString("Column:%1 Row:%2").arg(s.column()).arg(s.row()), "TabSheet3"}));

  const auto item = PixelWhere([](const PickResult& hit) { return hit.tag.kind == kPickItem; });
  ASSERT_TRUE(item);
  Select("ListBox2", -1);
  QTest::mouseClick(view, Qt::LeftButton, {}, item->first);
  EXPECT_EQ(std::tuple(s.item(), Page()),
            std::tuple(int(item->second.tag.index), QString("TabSheet2")));
  EXPECT_EQ(Status(1), Status(1).toUpper());
  // Another item chosen in the list replaces the picked one's name.
  const int other = item->second.tag.index == 0 ? 1 : 0;
  Select("ListBox2", other);
  EXPECT_EQ(Status(1), ItemStatusText(window.session(), other));

  if (const auto mesh =
          PixelWhere([](const PickResult& hit) { return hit.tag.kind == kPickStatic; })) {
    QTest::mouseClick(view, Qt::LeftButton, {}, mesh->first);
    EXPECT_TRUE(Status(1).startsWith("STATIC MESH #") && s.static_instance() >= 0);
    EXPECT_EQ(Page(), "TabSheet4");
  }
  // The items the level has no movable for are told beside, not over, the click's texts.
  EXPECT_EQ(Text("StatusViewNote"), "Object ID398 is missing.");
  // Nothing under the mouse: nothing changes.
  const QString before = Status(0);
  QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(650, 300));
  EXPECT_EQ(Status(0), before);
  // The view has the focus: Shift and the arrows move the selected item.
  const int entry = s.item();
  ASSERT_TRUE(window.session().document().IsItemEntry(entry));
  const auto at = [&] {
    return std::pair<int, int>(level().items1[entry].x, level().items1[entry].z);
  };
  const auto [x, z] = at();
  QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier);
  QTest::keyClick(Find<QListWidget>("ListBox1"), Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(at(), std::pair(x - 16, z + 16));
  // Without Shift the arrows are the focused control's own, and a text field keeps Shift and
  // the arrows for selecting its text.
  QTest::keyClick(view, Qt::Key_Left);
  QTest::keyClick(Find<QSpinBox>("SpinEdit1"), Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_EQ(at(), std::pair(x - 16, z + 16));
  // On the Textures page a click paints the face under it, a drag every face it passes, as one
  // step.
  EditorSession& session = window.session();
  const troom& room = level().rooms[0];
  const auto hit =
      DispatchPick(level(), 0, Pick(view->list(), view->viewport().Matrices(), 400, 500));
  ASSERT_EQ(hit.target, PickTarget::kRoomRectangle);
  const auto k = static_cast<size_t>(hit.face);
  const uint16_t old_piece = FaceTexture(room, FaceKind::kRectangle, k);
  const int piece = old_piece == 1 ? 2 : 1;
  Find<QTabWidget>("PageControl1")->setCurrentWidget(Find<QWidget>("TabSheet11"));
  session.selection().SelectPiece(piece);
  const uint64_t builds = view->viewport().build_count();
  QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(400, 500));
  Grab();
  EXPECT_EQ(std::tuple(+FaceTexture(level().rooms[0], FaceKind::kRectangle, k),
                       view->viewport().build_count() > builds, Page()),
            std::tuple(piece, true, QString("TabSheet11")));

  // A drag across the floor paints every face it passes, as one step.
  const Ttrlevel unpainted = level();
  const int steps = session.undo_stack().index();
  QTest::mousePress(view, Qt::LeftButton, {}, QPoint(250, 500));
  for (int at_x = 260; at_x <= 550; at_x += 10) QTest::mouseMove(view, QPoint(at_x, 500));
  QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(550, 500));
  int painted = 0;
  for (size_t f = 0; f < room.rectangles.size(); ++f)
    painted += level().rooms[0].rectangles[f].texture != unpainted.rooms[0].rectangles[f].texture;
  EXPECT_EQ(std::tuple(painted >= 2, session.undo_stack().index()), std::tuple(true, steps + 1));
}

TEST_F(ViewTest, CreateItemPreviewDrawsTheChosenMovable) {
  QAVEL_DEMO_OR_SKIP();
  CreateItemDialog* dialog = window.createDialog();
  dialog->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
  GlView* preview = dialog->preview();
  ASSERT_NE(preview, nullptr);
  auto* movables = test::FindIn<QListWidget>(dialog, "ListBox1");
  ASSERT_GT(movables->count(), 1);
  // The pixels the preview draws over its white background, of all or of its edges alone.
  auto drawnPixels = [&](bool edges_only) {
    const QImage image = preview->grabFramebuffer().convertToFormat(QImage::Format_RGB32);
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        n += image.pixel(x, y) != qRgb(255, 255, 255) &&
             (!edges_only || x % (image.width() - 1) == 0 || y % (image.height() - 1) == 0);
    return n;
  };
  // Some movable of the level has a mesh in view; every list click builds the preview again.
  int shown = 0;
  for (int row = 0; row < movables->count() && shown == 0; ++row) {
    const uint64_t builds = preview->viewport().build_count();
    QListWidgetItem* entry = movables->item(row);
    movables->scrollToItem(entry);
    QTest::mouseClick(movables->viewport(), Qt::LeftButton, {},
                      movables->visualItemRect(entry).center());
    shown = drawnPixels(false);
    EXPECT_EQ(preview->viewport().build_count(), builds + 1);
  }
  EXPECT_GT(shown, 0);
  EXPECT_EQ(drawnPixels(true), 0) << "all of it shows: nothing reaches the edges of the panel";
}

// The modes of many rooms: each draws the rooms at their places, framed from above; another
// room in Level mode changes only the highlight; a click selects the room it hits; F frames;
// the free camera moves with the keys and the status bar says where it is.
TEST_F(ViewTest, ModesOfManyRoomsFreeCameraAndFraming) {
  QAVEL_DEMO_OR_SKIP();
  TGLViewport& vp = view->viewport();
  Trigger("ViewModeLevel1");
  const QImage level = Grab();
  EXPECT_EQ(std::tuple(view->rooms().rooms, vp.look_on()), std::tuple(std::vector{0, 1, 3}, true));
  const uint64_t builds = vp.build_count();
  Select("ListBox1", 3);
  const QImage highlighted = Grab();
  EXPECT_EQ(vp.build_count(), builds) << "another room changes only the highlight";
  EXPECT_NE(highlighted, level);
  // A click on a face of another room selects that room, and the camera stays.
  const LookCamera aimed = vp.look();
  const auto floor = PixelWhere(
      [&](const PickResult& hit) {
        return hit.tag.kind == kPickRoomRectangle &&
               view->rooms().RoomOfTriangle(hit.triangle) == 0;
      },
      kPickPortal);
  ASSERT_TRUE(floor);
  QTest::mouseClick(view, Qt::LeftButton, {}, floor->first);
  EXPECT_EQ(std::tuple(window.session().selection().room(), vp.look().Target().x,
                       Status(1).startsWith("Column:")),
            std::tuple(0, aimed.Target().x, true));
  // The sector clicked, outlined when asked.
  Trigger("OutlineSector1");
  Grab();
  EXPECT_EQ(view->list().vertex_count(kPortalLayer), 6);
  Trigger("OutlineSector1");

  // The camera looks at the middle of a box (list space).
  auto looksAt = [&](const ViewBox& b) {
    const Vec3 t = vp.look().Target();
    return vp.look_on() && std::hypot(t.x - (b.min_x + b.max_x) / 2, t.y - (b.min_y + b.max_y) / 2,
                                      t.z - (b.min_z + b.max_z) / 2) < 1e-3;
  };
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(&window, Qt::Key_2, Qt::ControlModifier);
  Grab();
  EXPECT_EQ(std::tuple(view->mode(), view->rooms().rooms),
            std::tuple(ViewMode::kNeighbours, std::vector{0, 1, 2, 3}));
  // Another depth frames what it shows; another room in the list turns the camera to it, a
  // click in the view does not.
  QWheelEvent wheel(QPointF(100, 100), view->mapToGlobal(QPointF(100, 100)), {}, {0, 360},
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(view, &wheel);
  Trigger("NeighbourDepth2");
  Grab();
  EXPECT_TRUE(looksAt(view->rooms().frame_box));
  Trigger("NeighbourDepth1");
  Grab();
  Select("ListBox1", 3);
  Grab();
  const ViewBounds& b3 = view->rooms().frame_bounds[size_t(view->rooms().SlotOf(3))];
  EXPECT_TRUE(looksAt({b3.lo[0], b3.lo[1], b3.lo[2], b3.hi[0], b3.hi[1], b3.hi[2]}));
  Select("ListBox1", 0);
  Trigger("FlippedRooms1");
  Grab();
  EXPECT_EQ(view->rooms().rooms, (std::vector<int>{0, 2, 3}));
  Trigger("FlippedRooms1");

  // A double click on a portal selects the room behind it.
  Trigger("Portals1");
  Grab();
  const auto portal = PixelWhere(
      [](const PickResult& hit) { return hit.tag.kind == kPickPortal && hit.tag.index != 0; });
  ASSERT_TRUE(portal);
  // A double click as the window system sends it: both presses also reach the view.
  auto doubleClick = [&](QPoint at) {
    QTest::mouseClick(view, Qt::LeftButton, {}, at);
    QTest::mousePress(view, Qt::LeftButton, {}, at);
    QTest::mouseDClick(view, Qt::LeftButton, {}, at);
    QTest::mouseRelease(view, Qt::LeftButton, {}, at);
  };
  doubleClick(portal->first);
  EXPECT_EQ(window.session().selection().room(), portal->second.tag.index);
  // Also where the portal hit is the one the room behind draws, leading back.
  Grab();
  const int from = window.session().selection().room();
  const auto back = PixelWhere([&](const PickResult& hit) {
    return hit.tag.kind == kPickPortal && hit.tag.index == from &&
           view->rooms().RoomOfTriangle(hit.triangle) != from;
  });
  ASSERT_TRUE(back);
  doubleClick(back->first);
  EXPECT_EQ(window.session().selection().room(),
            view->rooms().RoomOfTriangle(back->second.triangle));
  // In Room mode the portals place the room in the level: another room is framed whole.
  Trigger("ViewModeRoom1");
  for (int room : {1, 3}) {
    Select("ListBox1", room);
    Grab();
    EXPECT_TRUE(looksAt(view->rooms().frame_box)) << room;
  }
  Trigger("Portals1");

  // F frames the selected room: the camera comes nearer than the whole level's framing.
  Trigger("ViewModeLevel1");
  Grab();
  const double whole = vp.look().distance;
  view->setFocus();
  QTest::keyClick(view, Qt::Key_F);
  EXPECT_LT(vp.look().distance, whole);

  // F frames what was selected last, item or sector, in Level mode and in Room mode alike.
  Select("ListBox1", 0);
  Grab();
  int item = -1;
  for (uint16_t entry : RoomItemEntries(window.session().level(), 0))
    if (TaggedBox(view->list(), {kPickItem, entry}).min_x < 1e9) item = entry;
  ASSERT_GE(item, 0);
  for (const char* mode : {"ViewModeLevel1", "ViewModeRoom1"}) {
    Trigger(mode);
    window.session().selection().SelectItem(item);
    Grab();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F);
    EXPECT_TRUE(looksAt(TaggedBox(view->list(), {kPickItem, uint16_t(item)}))) << mode;
    window.session().selection().SelectSector(1, 1);
    Grab();
    const troom& r0 = window.session().level().rooms[0];
    const RoomPlacement at =
        view->rooms().rooms.empty() ? *view->scene().placement : PlaceRoomInLevel(r0);
    QTest::keyClick(view, Qt::Key_F);
    EXPECT_TRUE(looksAt(SectorBox(r0, at, 1, 1))) << mode;
    window.session().selection().SelectItem(-1);
    window.session().selection().SelectSector(-1, -1);
  }
  Trigger("ViewModeLevel1");
  Grab();

  // C: the free camera; W moves forward, Shift faster; the status bar follows.
  auto moved = [&](const LookCamera& from) {
    return std::hypot(vp.look().x - from.x, vp.look().z - from.z, vp.look().y - from.y);
  };
  QTest::keyClick(view, Qt::Key_C);
  EXPECT_TRUE(vp.free());
  const LookCamera start = vp.look();
  QTest::keyClick(view, Qt::Key_W);
  const double step = moved(start);
  EXPECT_GT(step, 0);
  const LookCamera once = vp.look();
  QTest::keyClick(view, Qt::Key_W, Qt::ShiftModifier);
  EXPECT_NEAR(moved(once), 4 * step, 1e-4);
  // A key held moves the camera by the time it is held, and nothing after it is let go.
  const LookCamera before_hold = vp.look();
  QElapsedTimer held;
  held.start();
  QTest::keyPress(view, Qt::Key_W);
  QTest::qWait(300);
  QTest::keyRelease(view, Qt::Key_W);
  const double seconds = double(held.elapsed()) / 1000;
  EXPECT_GT(moved(before_hold), 2 * step);
  EXPECT_LE(moved(before_hold), step * (1 + GlView::kFreeStepsPerSecond * seconds) + 1e-6);
  const LookCamera let_go = vp.look();
  QTest::qWait(100);
  EXPECT_EQ(moved(let_go), 0);
  Grab();
  EXPECT_TRUE(Text("StatusCamera").startsWith("Camera ")) << Text("StatusCamera").toStdString();
  QTest::keyClick(view, Qt::Key_C);
  EXPECT_FALSE(vp.free());

  // Back to Room mode, also from the free camera: the room camera again; a room under water
  // tinted when asked.
  QTest::keyClick(view, Qt::Key_C);
  Trigger("ViewModeRoom1");
  Grab();
  EXPECT_FALSE(vp.free() || Find<QAction>("FreeCamera1")->isChecked());
  Select("ListBox1", 0);
  Click("Button1");
  EXPECT_FALSE(vp.look_on());
  // The free camera starts where the room camera stands: the status bar says the same place.
  Grab();
  const QString standing = Text("StatusCamera");
  QTest::keyClick(view, Qt::Key_C);
  Grab();
  EXPECT_EQ(Text("StatusCamera").toStdString(), standing.toStdString());
  QTest::keyClick(view, Qt::Key_C);
  Select("ListBox1", 1);  // under water
  ASSERT_TRUE(window.session().level().rooms[1].flags & kWaterRoomFlag);
  const QImage dry = Grab();
  Trigger("WaterRooms1");
  EXPECT_NE(Grab(), dry);
  Trigger("WaterRooms1");

  // A room left without faces says so in Room mode, also with its portals shown.
  const std::string empty = test::ScratchDir("view_empty_room") + "/empty.dxf";
  std::ofstream(empty) << "0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n";
  Select("ListBox1", 1);
  ASSERT_TRUE(ImportFile(window.session(), ExchangeFormatId::kDxf, empty));
  auto saysNoFaces = [&] {
    const QImage shown = Grab();
    int white = 0;
    for (int x = 300; x < 500; ++x) white += shown.pixel(x, 300) == qRgb(255, 255, 255);
    return white > 0;
  };
  EXPECT_TRUE(saysNoFaces());
  Trigger("Portals1");
  EXPECT_TRUE(saysNoFaces());
  Trigger("Portals1");
}

}  // namespace
}  // namespace qavel
