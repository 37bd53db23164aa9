#pragma once
// WindowActions: the menus and the toolbar of the main window. It makes every action with its
// objectName, caption, hint and shortcut; the window connects them to what they do. The view
// switches are read by the 3D view when it draws.

#include <QObject>
#include <vector>

#include "exchange/exchange_formats.h"

class QAction;
class QMainWindow;
class QUndoStack;

namespace qavel {

// One entry of the Import or Export menu: a format of the exchange table and its direction.
struct ExchangeAction {
  QAction* action = nullptr;
  ExchangeFormatId format{};
  bool save = false;  // an export: the file dialog asks where to write
};

class WindowActions : public QObject {
  Q_OBJECT

 public:
  // Adds the menus to the window's menu bar and its toolbar.
  WindowActions(QMainWindow* window, QUndoStack& undo_stack);

  // File.
  QAction* open = nullptr;
  QAction* save = nullptr;
  QAction* saveAs = nullptr;
  QAction* compareWith = nullptr;  // lists what differs from another level file
  QAction* exit = nullptr;
  // Edit.
  QAction* undo = nullptr;
  QAction* redo = nullptr;
  // View: switches read by the 3D view, and the window's own.
  QAction* hideStatics = nullptr;
  QAction* hideItems = nullptr;
  QAction* wireframeRoom = nullptr;
  QAction* wireframeObjects = nullptr;
  QAction* backgroundWhite = nullptr;
  QAction* backgroundBlack = nullptr;
  QAction* backgroundBlue = nullptr;
  QAction* backgroundTeal = nullptr;  // the colour the view starts with
  // Each switch is one checkable action, in the menu and on the toolbar alike; its caption never
  // changes and a tick means the caption is in effect.
  QAction* gridBox = nullptr;       // ticked: the sector map shows
  QAction* texturedRoom = nullptr;  // ticked: rooms show the level's textures, else the plain one
  QAction* transparentTexels = nullptr;  // off: magenta texels are drawn like any other
  QAction* experiments = nullptr;
  QAction* problems = nullptr;  // the Problems panel shown
  // View: what the 3D view shows around the selected room, and its camera. The modes are one
  // exclusive group ("Room" is the default); the depth counts in Neighbours mode.
  QAction* modeRoom = nullptr;
  QAction* modeNeighbours = nullptr;
  QAction* modeLevel = nullptr;
  std::vector<QAction*> depths;  // 1 to 5
  QAction* highlightSelected = nullptr;
  QAction* flippedRooms = nullptr;
  QAction* portals = nullptr;
  QAction* waterTint = nullptr;
  QAction* roomLighting = nullptr;  // off: room faces white
  QAction* sectorOutline = nullptr;
  QAction* frameSelection = nullptr;  // F, while the view has the focus
  QAction* freeCamera = nullptr;      // C, while the view has the focus
  int depth() const;
  // Import and Export: usable only while a level is loaded.
  std::vector<ExchangeAction> exchange;
  // Help.
  QAction* about = nullptr;

 private:
  void buildMenus(QMainWindow* window, QUndoStack& undo_stack);
  void buildToolBar(QMainWindow* window);
};

}  // namespace qavel
