#pragma once
// MainView: the window's 3D view of the selected room, its static meshes and its items. It
// rebuilds after every edit that changes what is drawn, after selection changes and after the
// View switches, centres the camera on a newly selected room while "Automatic" is ticked, and
// turns left clicks into the editor's selections and face commands.

#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "editor/editor_session.h"
#include "editor/face_commands.h"
#include "editor/item_commands.h"
#include "ui/gl_view.h"
#include "view/level_scene.h"
#include "view/mesh_table.h"
#include "view/picking.h"
#include "view/scene.h"

namespace qavel {

class WindowActions;

class MainView : public GlView {
  Q_OBJECT

 public:
  MainView(EditorSession& session, const WindowActions& actions, const TextureStore& store,
           QWidget* parent);

  // Whether a newly selected room is centred ("Automatic"), and whether the Textures page is
  // shown (a click on a face then paints instead of selecting its sector).
  void setAutoCentre(std::function<bool()> on) { autoCentre_ = std::move(on); }
  void setTexturesShown(std::function<bool()> shown) { texturesShown_ = std::move(shown); }

  // "Center Camera": frames the room drawn last.
  void centreCamera();
  const Tmesh_list& meshes() const { return meshes_; }
  const SceneResult& scene() const { return scene_; }
  // The view switches as the scene reads them.
  ViewOptions options() const;

  // A left click at a pixel: what it hits selects or edits; returns what it hit. In the modes
  // of many rooms the room hit is selected first.
  PickHit click(const QPoint& at, const MouseState& state);
  // Where the view's right and its away-from-the-viewer lie on the ground, in world x and z (the
  // axes Shift and the arrow keys move an item along).
  GroundAxes groundAxes();
  // A double click: on a portal, the room behind it is selected.
  void doubleClick(const QPoint& at);

  // The mode of the View menu, and the scene of many rooms built last (empty in Room mode).
  ViewMode mode() const;
  const LevelScene& rooms() const { return rooms_; }
  // "Frame Selection": the selected room framed (Room mode: centred as "Center Camera" does).
  void frameSelection();
  // "Free Camera" on or off; off returns to the orbit camera framed on the selection.
  void setFreeCamera(bool on);
  // The camera's place in world units and heading, as the status bar shows it.
  QString cameraText() const;

 signals:
  // Status texts of a click ("Object type:..." in panel 0, the sector or object in panel 1).
  void statusText(int panel, const QString& text);
  // A click asks for a page of the inspection panel.
  void floorDataWanted();
  void itemsWanted();
  void staticsWanted();
  // After every build: the items and static meshes not drawn whole (no movable for an item,
  // damaged meshes, the view's budget reached), in one line (empty when all are drawn).
  void missingMovables(const QString& report);
  // The camera's place and heading changed.
  void cameraChanged(const QString& text);
  // A click's command was refused.
  void refused(const QString& why);

 protected:
  // A drag with the left button on the Textures page paints every face it passes.
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  void buildScene();
  // The room face under a pixel, if any.
  std::optional<FaceRef> faceAt(const QPoint& at);
  // F and C act while the view has the focus, also where the window is not active.
  void keyPressEvent(QKeyEvent* e) override;
  bool roomsToDraw(const FrameMatrices& frame, RoomDraw& draw) override;
  QString overlayText() const override;
  double freeStep() const override;
  // Whether the rooms are drawn at their places (any mode but a plain Room mode).
  bool placed() const;
  // The selected sector's outline added to the scene built, when asked for.
  void outlineSector(const RoomPlacement& placement, int room, int slot);
  // The list-space box of the selected room when drawn, else of everything drawn.
  ViewBox selectionBox() const;
  // The box of what was selected last among item, static mesh and sector, when it is drawn;
  // empty otherwise.
  ViewBox selectedObjectBox() const;
  // The look camera where the room camera stands, looking the same way.
  void lookFromRoomCamera();
  // The orbit camera moved, keeping its heading and distance, to look at the selected room.
  void aimAtSelectedRoom();

  EditorSession& session_;
  const WindowActions& actions_;
  Tmesh_list meshes_;
  SceneResult scene_;
  LevelScene rooms_;
  bool builtPlaced_ = false;
  std::function<bool()> autoCentre_;
  std::function<bool()> texturesShown_;
  bool centrePending_ = false;
  bool aimPending_ = false;  // the next build of many rooms aims at the selected room
  bool clicking_ = false;    // a click in the view selects the room it hit
  // The room selected before each of the last two presses: a double click's first press and
  // its second.
  std::array<int, 2> roomsBeforePress_ = {-1, -1};
  // What Frame Selection frames first: the part of the selection changed last.
  enum class Framed { kRoom, kItem, kStatic, kSector } framed_ = Framed::kRoom;
  std::unique_ptr<PaintStroke> stroke_;  // while a paint drag lasts
};

// The status bar's text for an item-list entry: its list text in upper case; empty for none.
QString ItemStatusText(const EditorSession& session, int entry);

}  // namespace qavel
