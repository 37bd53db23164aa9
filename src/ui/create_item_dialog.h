#pragma once
// CreateItemDialog: picks a movable and a position for a new item (the "Create Item" tool
// window). Shown by the Items panel's "Create"; it hides itself when create mode ends.

#include <QDialog>

#include "editor/item_commands.h"

class QLabel;
class QListWidget;
class QSpinBox;

namespace qavel {

class GlView;
struct Tmesh_list;
class TextureStore;

class CreateItemDialog : public QDialog {
  Q_OBJECT

 public:
  CreateItemDialog(EditorSession& session, QWidget* parent);

  // The choice the next Duplicate of the Items panel creates from.
  CreateChoice Choice() const;
  // Puts the 3D preview of the chosen movable in place of the white panel; the mesh table and
  // the textures are the main view's and outlive the dialog's use of them.
  void attachPreview(const TextureStore& store, const Tmesh_list& meshes);
  GlView* preview() const { return preview_; }

 signals:
  // The "Create" button: the Items panel runs its Duplicate command.
  void createRequested();

 protected:
  // Closed without "Create" (Esc, the frame's button): create mode ends with the dialog, so that
  // the next Duplicate copies the selected item again.
  void done(int result) override;

 private:
  // A new level starts on its first movable; an import keeps the choice where it can.
  void fillMovables(bool keep_choice);
  void takePosition(PositionSource source);

  EditorSession& session_;
  QLabel* previewNote_;
  GlView* preview_ = nullptr;
  QListWidget* movableList_;
  QSpinBox* xSpin_;
  QSpinBox* ySpin_;
  QSpinBox* zSpin_;
};

}  // namespace qavel
