#pragma once
// RoomsPanel: the "Rooms" tab: the room list, the Room Info group, the camera controls, the
// progress gauge and the Room Flags group with the TR5 weather.

#include <QWidget>
#include <array>

#include "editor/editor_session.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace qavel {

class ProgressGauge;
class RoomShape;

class RoomsPanel : public QWidget {
  Q_OBJECT

 public:
  RoomsPanel(EditorSession& session, QWidget* parent);
  QListWidget* roomList() const { return roomList_; }

  // Shows progress while a level is read or written; hidden otherwise.
  ProgressGauge* gauge() const { return gauge_; }
  // While a file is read or written the panel shows the gauge and its Cancel button and takes
  // no other input.
  void setBusy(bool busy);
  // "Automatic": the 3D view centres on a newly selected room.
  bool autoCentre() const;

 signals:
  void centreCameraRequested();
  // Cancel was pressed while a file is read or written.
  void cancelRequested();
  void refused(const QString& why);

 private:
  void build();
  void refresh();
  void report(const Result& result);

  EditorSession& session_;
  QListWidget* roomList_ = nullptr;
  QLabel* widthLabel_ = nullptr;
  QLabel* lengthLabel_ = nullptr;
  QLabel* positionLabel_ = nullptr;
  QLabel* heightLabel_ = nullptr;
  QLabel* flagLabel_ = nullptr;
  QLabel* alternateLabel_ = nullptr;
  QLabel* waterLabel_ = nullptr;
  RoomShape* roomShape_ = nullptr;
  QPushButton* centre_ = nullptr;
  QCheckBox* autoCentre_ = nullptr;
  ProgressGauge* gauge_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QGroupBox* flagsGroup_ = nullptr;
  bool busy_ = false;
  std::array<QCheckBox*, 4> flagBoxes_{};
  std::array<QRadioButton*, 3> weatherButtons_{};
  QLabel* weatherLabel_ = nullptr;
};

}  // namespace qavel
