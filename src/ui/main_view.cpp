#include "ui/main_view.h"

#include <QAction>
#include <QMouseEvent>

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
    if (parts & Selection::kRoom) centrePending_ = !autoCentre_ || autoCentre_();
    if (parts & (Selection::kRoom | Selection::kItem | Selection::kStatic)) rebuild();
  });
  for (QAction* a : {actions.hideStatics, actions.hideItems, actions.wireframeRoom,
                     actions.wireframeObjects, actions.texturedRoom})
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
  return o;
}

void MainView::buildScene() {
  scene_ = {};
  if (!session_.HasLevel() || !session_.document().IsRoom(session_.selection().room())) {
    list().ClearLayer(-1);
    list().BuildBuffers(buffers());
    emit missingMovables({});
    return;
  }
  const ViewOptions o = options();
  const auto& room_items = session_.document().room_items();
  std::span<const uint16_t> items;
  if (static_cast<size_t>(o.room) < room_items.size()) items = room_items[o.room].items;
  const SceneSources sources{session_.level(), meshes_, session_.document().names().catalog, items};
  scene_ = BuildScene(list(), buffers(), sources, o);
  if (centrePending_ && scene_.placement) {
    viewport().box = scene_.placement->box;
    viewport().CentreOnBox();
  }
  centrePending_ = false;
  emit missingMovables(QString::fromStdString(SceneNote(scene_)));
}

void MainView::centreCamera() {
  viewport().EnsureBuilt();
  if (!scene_.placement) return;
  viewport().box = scene_.placement->box;
  viewport().CentreOnBox();
  update();
}

PickHit MainView::click(const QPoint& at, const MouseState& state) {
  if (!session_.HasLevel()) return {};
  viewport().EnsureBuilt();
  const int room = session_.selection().room();
  const PickHit hit =
      DispatchPick(session_.level(), room, Pick(list(), viewport().Matrices(), at.x(), at.y()));
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

}  // namespace qavel
