#pragma once
// ViewPanel: the middle of the window (Panel1), the place of the 3D view, with the sector map
// of the selected room (GroupBox3, Image1) floating over its top left corner. The map scrolls
// when the panel is too small for it; a click on a cell selects that sector.

#include <QColor>
#include <QFrame>

#include "editor/editor_session.h"

class QGroupBox;
class QLabel;
class QScrollArea;

namespace qavel {

class ViewPanel : public QFrame {
  Q_OBJECT

 public:
  ViewPanel(EditorSession& session, QWidget* parent);

  // Puts the 3D view into the panel under the sector map, in place of the note (the panel
  // takes it over). Until then a note says where the view will be, or why it is missing.
  void setViewWidget(QWidget* view);
  QWidget* viewWidget() const { return view_; }
  void setNote(const QString& text);

  // The background colour of the view (a window colour value keeps red in the low byte).
  void setBackground(unsigned window_colour);
  QColor background() const { return background_; }

  void setSectorMapShown(bool on);

 signals:
  // A sector was chosen on the map (the window shows the Floor Data page).
  void sectorClicked();
  void backgroundChanged(const QColor& colour);

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  void refreshMap();
  void placeMap();
  // Without a level the panel says how to open one, over the view or in its note.
  void showEmptyHint();

  EditorSession& session_;
  QWidget* view_ = nullptr;
  QLabel* note_ = nullptr;
  QString noteText_;
  QLabel* emptyHint_ = nullptr;
  QGroupBox* mapBox_ = nullptr;
  QScrollArea* mapArea_ = nullptr;
  QLabel* map_ = nullptr;
  QColor background_;
};

}  // namespace qavel
