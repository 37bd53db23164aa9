#include "ui/main_view.h"

#include <QAction>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <cmath>

#include "ui/window_actions.h"

namespace qavel {

QString ItemStatusText(const EditorSession& session, int entry) {
  const auto& texts = session.document().item_texts();
  if (entry < 0 || static_cast<size_t>(entry) >= texts.size()) return {};
  // Only the ASCII letters, as the picked item was always shown.
  std::string out = texts[entry];
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return QString::fromStdString(out);
}

namespace {

constexpr double kDegrees = 180 / 3.14159265358979323846;

// The eye (list space) and heading of a frame's camera.
void EyeOf(const FrameMatrices& frame, double eye[3], double& yaw, double& pitch) {
  const Mat4 inv = Inverse(Multiply(frame.world, frame.view));
  for (int k = 0; k < 3; ++k) eye[k] = inv.m[3][k];
  const double f[3] = {inv.m[2][0], inv.m[2][1], inv.m[2][2]};
  const double n = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
  yaw = std::fmod(std::atan2(f[0], -f[2]) * kDegrees + 360.0, 360.0);
  pitch = n > 0 ? std::asin(std::clamp(-f[1] / n, -1.0, 1.0)) * kDegrees : 0;
}

}  // namespace

MainView::MainView(EditorSession& session, const WindowActions& actions, const TextureStore& store,
                   QWidget* parent)
    : GlView(store, MainViewBuffers(), parent), session_(session), actions_(actions) {
  setObjectName("View3D");
  list().set_standard_texture(8888);
  viewport().SetSceneBuilder([this] { buildScene(); });
  setBackground(QColor(0, 128, 128));  // teal

  LevelDocument& doc = session.document();
  connect(&doc, &LevelDocument::opened, this, [this] {
    BuildMeshTable(meshes_, session_.level());
    centrePending_ = !autoCentre_ || autoCentre_();
    rebuild();
  });
  connect(&doc, &LevelDocument::changed, this, [this](const EditTarget& target) {
    if (std::holds_alternative<WeatherTarget>(target)) return;  // nothing drawn depends on it
    // An import may bring other meshes; every other edit keeps the mesh block.
    if (AsLevel(target)) BuildMeshTable(meshes_, session_.level());
    rebuild();
  });
  connect(&session.selection(), &Selection::changed, this, [this](unsigned parts) {
    const Selection& s = session_.selection();
    if ((parts & Selection::kItem) && s.item() >= 0)
      framed_ = Framed::kItem;
    else if ((parts & Selection::kStatic) && s.static_instance() >= 0)
      framed_ = Framed::kStatic;
    else if ((parts & Selection::kSector) && s.HasSector())
      framed_ = Framed::kSector;
    else if (parts & Selection::kRoom)
      framed_ = Framed::kRoom;
    const bool follow = !autoCentre_ || autoCentre_();
    // With every room of the level drawn, another room changes only the highlight and, while
    // "Automatic" is ticked, where the camera looks.
    if (parts == Selection::kRoom && builtPlaced_ && mode() == ViewMode::kLevel) {
      if (follow && !clicking_) aimAtSelectedRoom();
      update();
      return;
    }
    // One room is framed whole; of many, the camera moves to look at the selected one once built.
    if ((parts & Selection::kRoom) && mode() == ViewMode::kRoom) centrePending_ = follow;
    if ((parts & Selection::kRoom) && mode() != ViewMode::kRoom) aimPending_ = follow && !clicking_;
    if (parts & (Selection::kRoom | Selection::kItem | Selection::kStatic)) rebuild();
    if ((parts & Selection::kSector) && actions_.sectorOutline->isChecked()) rebuild();
  });
  connect(actions.sectorOutline, &QAction::toggled, this, &MainView::rebuild);
  for (QAction* a : {actions.modeRoom, actions.modeNeighbours, actions.modeLevel,
                     actions.flippedRooms, actions.portals})
    connect(a, &QAction::toggled, this, [this] {
      centrePending_ = true;
      // A room drawn alone in the middle and rooms drawn at their places in the level do not
      // share a space: the free camera would stand somewhere else in the other, so it goes and
      // the new picture is framed.
      if (viewport().free() && placed() != builtPlaced_) {
        const QSignalBlocker quiet(actions_.freeCamera);
        actions_.freeCamera->setChecked(false);
        viewport().set_free(false);
      }
      rebuild();
    });
  for (QAction* a : actions.depths)
    connect(a, &QAction::toggled, this, [this] {
      if (mode() != ViewMode::kNeighbours) return;
      // Another depth shows other rooms: framed as a new mode is.
      centrePending_ = true;
      rebuild();
    });
  for (QAction* a : {actions.highlightSelected, actions.waterTint})
    connect(a, &QAction::toggled, this, qOverload<>(&QWidget::update));
  addAction(actions.frameSelection);
  addAction(actions.freeCamera);
  connect(actions.frameSelection, &QAction::triggered, this, &MainView::frameSelection);
  connect(actions.freeCamera, &QAction::toggled, this, &MainView::setFreeCamera);
  connect(this, &GlView::leftDoubleClicked, this, &MainView::doubleClick);
  connect(this, &GlView::cameraMoved, this, [this] { emit cameraChanged(cameraText()); });
  for (QAction* a : {actions.hideStatics, actions.hideItems, actions.wireframeRoom,
                     actions.wireframeObjects, actions.texturedRoom, actions.roomLighting})
    connect(a, &QAction::toggled, this, &MainView::rebuild);
  connect(this, &GlView::leftPressed, this,
          [this](const QPoint& at, const MouseState& state) { click(at, state); });
}

ViewOptions MainView::options() const {
  const Selection& s = session_.selection();
  ViewOptions o;
  o.room = s.room();
  o.item_entry = s.item();
  o.static_entry = s.static_instance();
  o.wireframe_room = actions_.wireframeRoom->isChecked();
  o.wireframe_objects = actions_.wireframeObjects->isChecked();
  o.hide_items = actions_.hideItems->isChecked();
  o.hide_statics = actions_.hideStatics->isChecked();
  o.standard_room = !actions_.texturedRoom->isChecked();
  o.room_lighting = actions_.roomLighting->isChecked();
  return o;
}

ViewMode MainView::mode() const {
  if (actions_.modeLevel->isChecked()) return ViewMode::kLevel;
  if (actions_.modeNeighbours->isChecked()) return ViewMode::kNeighbours;
  return ViewMode::kRoom;
}

bool MainView::placed() const {
  return mode() != ViewMode::kRoom || actions_.portals->isChecked();
}

void MainView::buildScene() {
  scene_ = {};
  rooms_ = {};
  builtPlaced_ = false;
  if (!session_.HasLevel() || !session_.document().IsRoom(session_.selection().room())) {
    list().ClearLayer(-1);
    list().BuildBuffers(buffers());
    emit missingMovables({});
    return;
  }
  const Ttrlevel& level = session_.level();
  const bool flipped = actions_.flippedRooms->isChecked();
  if (placed()) {
    const ViewOptions o = options();
    const std::vector<int> shown = RoomsOfMode(level, mode(), o.room, actions_.depth(), flipped);
    rooms_ = BuildLevelScene(list(), buffers(),
                             {level, meshes_, session_.document().names().catalog, {}}, o, shown,
                             {.portals = actions_.portals->isChecked()});
    scene_ = rooms_.scene;
    builtPlaced_ = true;
    const int shown_room = FlippedRoom(level, o.room, flipped);
    const int slot = rooms_.SlotOf(shown_room);
    if (slot >= 0)
      outlineSector(PlaceRoomInLevel(level.rooms[static_cast<size_t>(shown_room)]), shown_room,
                    slot);
    if ((centrePending_ || !viewport().look_on()) && !viewport().free())
      viewport().FrameFromAbove(rooms_.frame_box);
    else if (aimPending_)
      aimAtSelectedRoom();
    centrePending_ = aimPending_ = false;
    emit missingMovables(QString::fromStdString(SceneNote(scene_)));
    return;
  }
  if (viewport().look_on() && !viewport().free()) {
    viewport().UseRoomCamera();
    centrePending_ = true;
  }
  ViewOptions o = options();
  // The flipped state shows the room's alternate in its place.
  o.room = FlippedRoom(level, o.room, flipped);
  const auto& room_items = session_.document().room_items();
  std::span<const uint16_t> items;
  if (static_cast<size_t>(o.room) < room_items.size()) items = room_items[o.room].items;
  const SceneSources sources{session_.level(), meshes_, session_.document().names().catalog, items};
  scene_ = BuildScene(list(), buffers(), sources, o);
  if (scene_.placement) outlineSector(*scene_.placement, o.room, -1);
  if (centrePending_ && scene_.placement && !viewport().look_on()) {
    viewport().box = scene_.placement->box;
    viewport().CentreOnBox();
  }
  centrePending_ = false;
  emit missingMovables(QString::fromStdString(SceneNote(scene_)));
}

void MainView::centreCamera() {
  viewport().EnsureBuilt();
  if (builtPlaced_) {
    viewport().FrameFromAbove(rooms_.frame_box);
    update();
    return;
  }
  if (!scene_.placement) return;
  viewport().box = scene_.placement->box;
  viewport().CentreOnBox();
  update();
}

PickHit MainView::click(const QPoint& at, const MouseState& state) {
  if (!session_.HasLevel()) return {};
  viewport().EnsureBuilt();
  int room = session_.selection().room();
  roomsBeforePress_ = {roomsBeforePress_[1], room};
  const auto pick = Pick(list(), viewport().Matrices(), at.x(), at.y(), kPickPortal);
  // The room hit: of many rooms, the one the triangle belongs to; of one, the room shown.
  int hit_room = room;
  if (pick && builtPlaced_) hit_room = rooms_.RoomOfTriangle(pick->triangle);
  if (pick && !builtPlaced_)
    hit_room = FlippedRoom(session_.level(), room, actions_.flippedRooms->isChecked());
  if (pick && hit_room >= 0 && hit_room != room) {
    // The camera stays: the user looks where they clicked.
    clicking_ = true;
    session_.selection().SelectRoom(hit_room);
    clicking_ = false;
    room = hit_room;
  }
  const PickHit hit = DispatchPick(session_.level(), room, pick);
  if (hit.target == PickTarget::kNothing) return hit;
  switch (hit.target) {
    case PickTarget::kRoomRectangle:
    case PickTarget::kRoomTriangle: {
      const FaceRef face{
          hit.target == PickTarget::kRoomRectangle ? FaceKind::kRectangle : FaceKind::kTriangle,
          hit.face};
      if (texturesShown_ && texturesShown_()) {
        const ClickModifiers keys{.shift = state.shift, .ctrl = state.ctrl, .alt = state.alt};
        // A plain press starts a stroke that goes on painting while the button is held.
        Result r = Result::Ok();
        if (!keys.ctrl && !keys.alt) {
          stroke_ = std::make_unique<PaintStroke>(session_);
          r = stroke_->Paint(room, face, keys);
        } else {
          r = ClickFaceForTextures(session_, room, face, keys);
        }
        if (!r) emit refused(QString::fromStdString(r.message()));
        break;
      }
      session_.selection().SelectSector(hit.sector.column, hit.sector.row);
      emit statusText(1, QString::fromStdString(SectorStatusText(hit.sector)));
      emit floorDataWanted();
      break;
    }
    case PickTarget::kItem:
      session_.selection().SelectItem(hit.item_entry);
      if (const QString text = ItemStatusText(session_, hit.item_entry); !text.isEmpty())
        emit statusText(1, text);
      emit itemsWanted();
      break;
    case PickTarget::kStatic:
      emit statusText(1, QString::fromStdString(StaticStatusText(hit.tag.index)));
      session_.selection().SelectStatic(hit.static_entry);
      emit staticsWanted();
      break;
    default:
      break;
  }
  emit statusText(0, QString::fromStdString(PickStatusText(hit.tag)));
  return hit;
}

std::optional<FaceRef> MainView::faceAt(const QPoint& at) {
  viewport().EnsureBuilt();
  const PickHit hit = DispatchPick(session_.level(), session_.selection().room(),
                                   Pick(list(), viewport().Matrices(), at.x(), at.y()));
  if (hit.target == PickTarget::kRoomRectangle) return FaceRef{FaceKind::kRectangle, hit.face};
  if (hit.target == PickTarget::kRoomTriangle) return FaceRef{FaceKind::kTriangle, hit.face};
  return std::nullopt;
}

void MainView::mouseMoveEvent(QMouseEvent* e) {
  GlView::mouseMoveEvent(e);
  if (!stroke_ || !(e->buttons() & Qt::LeftButton) || !session_.HasLevel()) return;
  const QPoint at = e->position().toPoint();
  if (const auto face = faceAt(at)) {
    const MouseState state = MouseStateOf(e->buttons(), e->modifiers());
    // A refusal was told at the press already; the drag goes on quietly.
    (void)stroke_->Paint(session_.selection().room(), *face,
                         {.shift = state.shift, .ctrl = state.ctrl, .alt = state.alt});
  }
}

void MainView::mouseReleaseEvent(QMouseEvent* e) {
  GlView::mouseReleaseEvent(e);
  if (e->button() == Qt::LeftButton) stroke_.reset();
}

GroundAxes MainView::groundAxes() {
  // Rays through the middle of the view and through points right of and above it, taken back
  // into the scene, whose x is world x and whose z is world z negated.
  const FrameMatrices f = viewport().Matrices();
  const Mat4 to_scene = Inverse(f.world);
  auto direction = [&f, &to_scene](int mx, int my) {
    const PickRay r = RayThroughPixel(f, mx, my);
    const Vec3 o = TransformPoint(to_scene, 0, 0, 0);
    const Vec3 d =
        TransformPoint(to_scene, static_cast<float>(r.direction[0]),
                       static_cast<float>(r.direction[1]), static_cast<float>(r.direction[2]));
    return Vec3{d.x - o.x, d.y - o.y, d.z - o.z};
  };
  const int cx = f.width / 2, cy = f.height / 2, step = std::max(1, f.height / 4);
  const Vec3 ahead = direction(cx, cy);
  const Vec3 right = direction(cx + step, cy);
  // Away from the viewer on the ground: where the ray through a point above the middle runs
  // (ahead when the view is level, up the screen when it looks straight down).
  const Vec3 away = direction(cx, cy - step);
  return {right.x - ahead.x, -(right.z - ahead.z), away.x, -away.z};
}

void MainView::outlineSector(const RoomPlacement& placement, int room, int slot) {
  const Selection& s = session_.selection();
  if (!actions_.sectorOutline->isChecked() || !s.HasSector()) return;
  const int before = list().vertex_count(kPortalLayer);
  DrawSectorOutline(list(), buffers(), session_.level().rooms[static_cast<size_t>(room)], placement,
                    s.column(), s.row());
  const int added = list().vertex_count(kPortalLayer) - before;
  if (added == 0) return;
  list().BuildBuffers(buffers());
  // The outline goes last in the layer, drawn with the selected room.
  if (slot >= 0 && rooms_.spans.size() > kPortalLayer)
    rooms_.spans[kPortalLayer].push_back({-1, static_cast<uint32_t>(before),
                                          static_cast<uint32_t>(added),
                                          static_cast<uint32_t>(slot)});
}

void MainView::keyPressEvent(QKeyEvent* e) {
  const bool plain = (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (plain && e->key() == Qt::Key_F) {
    actions_.frameSelection->trigger();
  } else if (plain && e->key() == Qt::Key_C) {
    actions_.freeCamera->toggle();
  } else {
    GlView::keyPressEvent(e);
    return;
  }
  e->accept();
}

void MainView::doubleClick(const QPoint& at) {
  if (!session_.HasLevel()) return;
  viewport().EnsureBuilt();
  const auto pick = Pick(list(), viewport().Matrices(), at.x(), at.y());
  if (!pick || pick->tag.kind != kPickPortal) return;
  int behind = pick->tag.index;
  // Both rooms of a portal draw it, in one plane: where the one hit leads back to the room
  // selected before the double click (whose presses may have selected the room they hit), the
  // room behind is the one that drew it.
  const int before = roomsBeforePress_[0];
  if (builtPlaced_ &&
      (behind == before ||
       behind == FlippedRoom(session_.level(), before, actions_.flippedRooms->isChecked())))
    behind = rooms_.RoomOfTriangle(pick->triangle);
  if (session_.document().IsRoom(behind)) session_.selection().SelectRoom(behind);
}

bool MainView::roomsToDraw(const FrameMatrices& frame, RoomDraw& draw) {
  if (!session_.HasLevel()) return false;
  if (!builtPlaced_) {
    // One room: tinted whole when it lies under water.
    const int room = FlippedRoom(session_.level(), session_.selection().room(),
                                 actions_.flippedRooms->isChecked());
    if (!actions_.waterTint->isChecked() || !session_.document().IsRoom(room) ||
        !(session_.level().rooms[static_cast<size_t>(room)].flags & kWaterRoomFlag))
      return false;
    draw.whole = kWaterTint;
    return true;
  }
  const int shown = FlippedRoom(session_.level(), session_.selection().room(),
                                actions_.flippedRooms->isChecked());
  draw = MakeRoomDraw(rooms_, frame,
                      {.selected = shown,
                       .highlight = actions_.highlightSelected->isChecked(),
                       .water_tint = actions_.waterTint->isChecked()},
                      &session_.level());
  return true;
}

QString MainView::overlayText() const {
  // Room mode says so also where the portals place the room in the level.
  if (!session_.HasLevel() || mode() != ViewMode::kRoom) return {};
  const int room = FlippedRoom(session_.level(), session_.selection().room(),
                               actions_.flippedRooms->isChecked());
  if (!session_.document().IsRoom(room)) return {};
  const troom& r = session_.level().rooms[static_cast<size_t>(room)];
  if (!r.rectangles.empty() || !r.triangles.empty()) return {};
  return QString("Room %1 has no faces.").arg(room);
}

double MainView::freeStep() const {
  const ViewBox b = builtPlaced_ ? rooms_.frame_box : DrawnBox(list());
  if (b.min_x > b.max_x) return 0.5;
  const double size = std::max({b.max_x - b.min_x, b.max_y - b.min_y, b.max_z - b.min_z});
  return std::clamp(size / 50, 0.05, 20.0);
}

ViewBox MainView::selectionBox() const {
  if (builtPlaced_) {
    const int shown = FlippedRoom(session_.level(), session_.selection().room(),
                                  actions_.flippedRooms->isChecked());
    const std::vector<int> lit = rooms_.SlotsOfSelected(&session_.level(), shown);
    if (lit.empty()) return rooms_.frame_box;
    ViewBox box;
    for (int slot : lit) box.Add(rooms_.frame_bounds[static_cast<size_t>(slot)]);
    return box;
  }
  return DrawnBox(list());
}

ViewBox MainView::selectedObjectBox() const {
  if (!session_.HasLevel()) return {};
  const Selection& s = session_.selection();
  const Ttrlevel& level = session_.level();
  const int shown = FlippedRoom(level, s.room(), actions_.flippedRooms->isChecked());
  if (!session_.document().IsRoom(shown)) return {};
  const LevelScene* rooms = builtPlaced_ ? &rooms_ : nullptr;
  const int slot = builtPlaced_ ? rooms_.SlotOf(shown) : -1;
  switch (framed_) {
    case Framed::kItem:
      if (s.item() < 0) return {};
      return TaggedBox(list(), {kPickItem, static_cast<uint16_t>(s.item())});
    case Framed::kStatic:
      if (s.static_instance() < 0 || (builtPlaced_ && slot < 0)) return {};
      return TaggedBox(list(), {kPickStatic, static_cast<uint16_t>(s.static_instance() + 1)}, rooms,
                       slot);
    case Framed::kSector: {
      if (!s.HasSector()) return {};
      const troom& r = level.rooms[static_cast<size_t>(shown)];
      if (builtPlaced_)
        return slot < 0 ? ViewBox{} : SectorBox(r, PlaceRoomInLevel(r), s.column(), s.row());
      return scene_.placement ? SectorBox(r, *scene_.placement, s.column(), s.row()) : ViewBox{};
    }
    case Framed::kRoom:
      break;
  }
  return {};
}

void MainView::lookFromRoomCamera() {
  double eye[3], yaw = 0, pitch = 0;
  EyeOf(viewport().Matrices(), eye, yaw, pitch);
  LookCamera c;
  c.x = eye[0];
  c.y = eye[1];
  c.z = eye[2];
  c.yaw = yaw;
  c.pitch = pitch;
  c.distance = std::sqrt(eye[0] * eye[0] + eye[1] * eye[1] + eye[2] * eye[2]);
  viewport().SetLookCamera(c);
}

void MainView::aimAtSelectedRoom() {
  if (!viewport().look_on() || viewport().free()) return;
  const ViewBox b = selectionBox();
  if (b.min_x > b.max_x) return;
  // The orbit keeps its heading and distance; its target moves to the room's middle.
  LookCamera c = viewport().look();
  const Vec3 f = c.Forward();
  c.x = (b.min_x + b.max_x) / 2 - f.x * c.distance;
  c.y = (b.min_y + b.max_y) / 2 - f.y * c.distance;
  c.z = (b.min_z + b.max_z) / 2 - f.z * c.distance;
  viewport().SetLookCamera(c);
  emit cameraMoved();
}

void MainView::frameSelection() {
  viewport().EnsureBuilt();
  const ViewBox object = selectedObjectBox();
  const bool any = object.min_x <= object.max_x;
  if (!viewport().look_on()) {
    // One room: the room's own framing, or from where the room camera looks, the object.
    if (!any) {
      centreCamera();
      return;
    }
    lookFromRoomCamera();
  }
  viewport().FrameBox(any ? object : selectionBox());
  emit cameraMoved();
  update();
}

void MainView::setFreeCamera(bool on) {
  viewport().EnsureBuilt();
  if (on) {
    // The free camera starts where the room camera stands, looking the same way.
    if (!viewport().look_on()) lookFromRoomCamera();
    viewport().set_free(true);
    setFocus();
  } else {
    viewport().set_free(false);
    if (builtPlaced_) {
      viewport().FrameBox(selectionBox());
    } else {
      viewport().UseRoomCamera();
      centreCamera();
    }
  }
  update();
}

QString MainView::cameraText() const {
  if (!session_.HasLevel()) return {};
  double eye[3], yaw = 0, pitch = 0;
  EyeOf(viewport().Matrices(), eye, yaw, pitch);
  double x = 0, y = 0, z = 0;
  if (viewport().look_on() && builtPlaced_) {
    viewport().look().World(x, y, z);
  } else if (scene_.placement && session_.document().IsRoom(session_.selection().room())) {
    // The room camera, and a look camera in Room mode, work around the room drawn in the middle:
    // back to the level's units.
    const int room = FlippedRoom(session_.level(), session_.selection().room(),
                                 actions_.flippedRooms->isChecked());
    const troom& r = session_.level().rooms[static_cast<size_t>(room)];
    const RoomPlacement& p = *scene_.placement;
    x = (eye[0] / 2 - p.room_x) * 1024 + r.x;
    y = (eye[1] / 2 + p.room_y) * 1024;
    z = (p.room_z - eye[2] / 2) * 1024 + r.z;
  } else {
    return {};
  }
  return QString("Camera %1, %2, %3  heading %4\u00B0")
      .arg(std::lround(x))
      .arg(std::lround(y))
      .arg(std::lround(z))
      .arg(std::lround(yaw) % 360);
}

}  // namespace qavel
