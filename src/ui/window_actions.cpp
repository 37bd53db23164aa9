#include "ui/window_actions.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenuBar>
#include <QToolBar>
#include <QUndoStack>

namespace qavel {

namespace {

QAction* Add(QMenu* menu, const char* name, const char* caption, const char* hint,
             const QKeySequence& key = {}) {
  auto* a = menu->addAction(caption);
  a->setObjectName(name);
  if (hint) a->setStatusTip(hint);
  if (!key.isEmpty()) a->setShortcut(key);
  return a;
}

QAction* Toggle(QMenu* menu, const char* name, const char* caption, const char* hint,
                const QKeySequence& key = {}) {
  QAction* a = Add(menu, name, caption, hint, key);
  a->setCheckable(true);
  return a;
}

}  // namespace

WindowActions::WindowActions(QMainWindow* window, QUndoStack& undo_stack) {
  buildMenus(window, undo_stack);
  buildToolBar(window);
}

void WindowActions::buildMenus(QMainWindow* window, QUndoStack& undo_stack) {
  QMenuBar* bar = window->menuBar();
  QMenu* file = bar->addMenu("&File");
  open = Add(file, "Open1", "&Open", "Open level to inspect", QKeySequence::Open);
  save = Add(file, "Save1", "Sa&ve", "Save the level to its file", QKeySequence::Save);
  saveAs = Add(file, "SaveAs1", "&Save As...", nullptr);
  compareWith = Add(file, "CompareWith1", "&Compare With...",
                    "List what differs between the open level and another level file");
  file->addSeparator();
  exit = Add(file, "Exit1", "&Exit", "good bye");

  QMenu* edit = bar->addMenu("&Edit");
  undo = undo_stack.createUndoAction(window, "&Undo");
  undo->setObjectName("Undo1");
  undo->setShortcut(QKeySequence("Ctrl+Z"));
  // Also while the Create Item tool window has the focus.
  undo->setShortcutContext(Qt::ApplicationShortcut);
  redo = undo_stack.createRedoAction(window, "&Redo");
  redo->setObjectName("Redo1");
  redo->setShortcut(QKeySequence("Ctrl+Shift+Z"));
  redo->setShortcutContext(Qt::ApplicationShortcut);
  edit->addAction(undo);
  edit->addAction(redo);

  QMenu* view = bar->addMenu("&View");
  hideStatics =
      Toggle(view, "HideStaticMesh1", "Hide &Static Mesh", "Show/Hide ornaments", Qt::Key_F2);
  hideItems = Toggle(view, "HideItems1", "Hide &Items", "Show/Hide items", Qt::Key_F3);
  wireframeRoom = Toggle(view, "WireframeRoom1", "Wireframe Room",
                         "Show the room in wireframe mode", Qt::Key_F4);
  wireframeObjects = Toggle(view, "WireframeObjects1", "Wireframe Objects",
                            "Show ornaments and items in wireframe mode", Qt::Key_F5);
  view->addSeparator();
  const char* background_hint = "change 3d view background color";
  backgroundWhite = Add(view, "BackgroundcolorWhite1", "Background color - White", background_hint);
  backgroundBlack = Add(view, "BackgroundcolorBlack1", "Background color - Black", background_hint);
  backgroundBlue = Add(view, "BackgroundcolorBlue1", "Background color - Blue", background_hint);
  backgroundTeal = Add(view, "BackgroundcolorTeal1", "Background color - Teal", background_hint);
  view->addSeparator();
  gridBox = Toggle(view, "HideRoomsGridbox1", "Show Rooms Gridbox",
                   "Show the sector map of the room over the view");
  texturedRoom = Toggle(view, "TexturedRoom1", "Textured Room",
                        "Draw the rooms with the level's textures (untick: the plain texture)");
  texturedRoom->setChecked(true);
  transparentTexels = Toggle(view, "TransparentTexels1", "Transparent Texels",
                             "Leave out the texels the texture pages show as magenta");
  view->addSeparator();
  auto* modes = new QActionGroup(this);
  modeRoom =
      Toggle(view, "ViewModeRoom1", "Room", "Show the selected room", QKeySequence("Ctrl+1"));
  modeNeighbours =
      Toggle(view, "ViewModeNeighbours1", "Neighbours",
             "Show the selected room and the rooms its portals reach", QKeySequence("Ctrl+2"));
  modeLevel = Toggle(view, "ViewModeLevel1", "Level", "Show every room of the level",
                     QKeySequence("Ctrl+3"));
  for (QAction* a : {modeRoom, modeNeighbours, modeLevel}) modes->addAction(a);
  modeRoom->setChecked(true);
  QMenu* depthMenu = view->addMenu("Neighbour Depth");
  depthMenu->setObjectName("NeighbourDepth1");
  auto* depthGroup = new QActionGroup(this);
  for (int d = 1; d <= 5; ++d) {
    const QByteArray name = "NeighbourDepth" + QByteArray::number(d);
    QAction* a = Toggle(depthMenu, name.constData(), QByteArray::number(d).constData(),
                        "Rooms reached through at most this many portals");
    depthGroup->addAction(a);
    depths.push_back(a);
  }
  depths[0]->setChecked(true);
  highlightSelected = Toggle(view, "HighlightSelectedRoom1", "Highlight Selected Room",
                             "Draw the other rooms dimmer");
  highlightSelected->setChecked(true);
  flippedRooms = Toggle(view, "FlippedRooms1", "Flipped Rooms",
                        "Show the alternate rooms in place of the rooms that name them");
  portals = Toggle(view, "Portals1", "Portals", "Outline the portals of the rooms shown");
  waterTint = Toggle(view, "WaterRooms1", "Tint Water Rooms", "Tint the rooms under water");
  roomLighting = Toggle(view, "RoomLighting1", "Room Lighting",
                        "Draw the room faces in the light their vertices store");
  sectorOutline = Toggle(view, "OutlineSector1", "Outline Selected Sector",
                         "Outline the selected sector at its floor");
  frameSelection =
      Add(view, "FrameSelection1", "Frame Selection",
          "Frame the item, static mesh or sector selected last, else the selected room", Qt::Key_F);
  freeCamera = Toggle(view, "FreeCamera1", "Free Camera",
                      "W/A/S/D move, Q/E down and up, right-drag looks around", Qt::Key_C);
  for (QAction* a : {frameSelection, freeCamera}) a->setShortcutContext(Qt::WidgetShortcut);
  view->addSeparator();
  experiments = Toggle(view, "Experiments1", "Show &Experiments Page",
                       "Show the page of unknown TR5 room values");
  problems = Toggle(view, "Problems1", "&Problems",
                    "Show what may crash the game, and what is almost surely not meant");

  // The exchange table's formats, in its order; a format without an export has no entry there.
  QMenu* import = bar->addMenu("Import");
  QMenu* exportMenu = bar->addMenu("Export");
  for (const ExchangeFormat& f : ExchangeFormats()) {
    exchange.push_back({Add(import, f.import_action, f.import_caption, nullptr), f.id, false});
    if (f.export_action)
      exchange.push_back({Add(exportMenu, f.export_action, f.export_caption, nullptr), f.id, true});
  }
  for (const ExchangeAction& e : exchange) e.action->setEnabled(false);

  QMenu* help = bar->addMenu("&Help");
  about = Add(help, "About1", "&About...", "Show program version and revision");
}

int WindowActions::depth() const {
  for (size_t d = 0; d < depths.size(); ++d)
    if (depths[d]->isChecked()) return static_cast<int>(d) + 1;
  return 1;
}

void WindowActions::buildToolBar(QMainWindow* window) {
  auto* bar = new QToolBar(window);
  bar->setObjectName("ActionToolBar1");
  bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  bar->setMovable(false);
  window->addToolBar(bar);
  // The tools are the menu's own actions: a switch shows the same tick in both places.
  auto tool = [bar](const char* name, QAction* action) {
    bar->addAction(action);
    bar->widgetForAction(action)->setObjectName(name);
  };
  tool("Action1", open);
  tool("Action4", wireframeRoom);
  tool("Action5", wireframeObjects);
  tool("Action3", hideItems);
  tool("Action2", hideStatics);
  tool("Action6", gridBox);
  tool("Action7", texturedRoom);
  bar->addSeparator();
  for (QAction* a : {modeRoom, modeNeighbours, modeLevel}) bar->addAction(a);
}

}  // namespace qavel
