#include "ui/main_view.h"

#include <QAction>

#include "editor/face_commands.h"
#include "ui/window_actions.h"

namespace qavel {

namespace {

// The item list's text with its ASCII letters in upper case, as the status bar shows a picked
// item.
QString UpperAscii(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return QString::fromStdString(out);
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
  o.standard_room = actions_.texturedRoom->isChecked();
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
        const Result r = ClickFaceForTextures(
            session_, room, face, {.shift = state.shift, .ctrl = state.ctrl, .alt = state.alt});
        if (!r) emit refused(QString::fromStdString(r.message()));
        break;
      }
      session_.selection().SelectSector(hit.sector.column, hit.sector.row);
      emit statusText(1, QString::fromStdString(SectorStatusText(hit.sector)));
      emit floorDataWanted();
      break;
    }
    case PickTarget::kItem: {
      session_.selection().SelectItem(hit.item_entry);
      const auto& texts = session_.document().item_texts();
      if (hit.item_entry >= 0 && static_cast<size_t>(hit.item_entry) < texts.size())
        emit statusText(1, UpperAscii(texts[hit.item_entry]));
      emit itemsWanted();
      break;
    }
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

}  // namespace qavel
