#include "ui/rooms_panel.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editor/room_commands.h"
#include "inspect/panel_texts.h"
#include "ui/progress_gauge.h"
#include "ui/ui_support.h"

namespace qavel {

// The room's outline, drawn as a box with a black diagonal-cross brush.
class RoomShape : public QFrame {
 public:
  explicit RoomShape(QWidget* parent) : QFrame(parent) {
    setObjectName("Shape1");
    setFixedSize(100, 100);
  }
  void SetBox(int w, int h) {
    box_ = QSize(w, h);
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setPen(Qt::black);
    p.setBrush(QBrush(Qt::black, Qt::DiagCrossPattern));
    p.drawRect(0, 0, std::min(box_.width(), width() - 1), std::min(box_.height(), height() - 1));
  }

 private:
  QSize box_{100, 100};
};

namespace {

struct FlagBox {
  const char* name;
  const char* caption;
  RoomFlagBit bit;
};
constexpr FlagBox kFlagBoxes[] = {{"CheckBox11", "Water Enabled", kFlagWater},
                                  {"CheckBox12", "Sky Enabled", kFlagSky},
                                  {"CheckBox13", "Outdoor Enabled", kFlagOutdoor},
                                  {"CheckBox14", "QuickSand Enabled", kFlagQuicksand}};

}  // namespace

RoomsPanel::RoomsPanel(EditorSession& session, QWidget* parent)
    : QWidget(parent), session_(session) {
  setObjectName("TabSheet1");
  build();
  connect(&session.document(), &LevelDocument::opened, this, [this] {
    SyncList(roomList_, RoomListTexts(session_.level()));
    refresh();
  });
  connect(&session.document(), &LevelDocument::changed, this, [this](const EditTarget& target) {
    if (AsLevel(target)) SyncList(roomList_, RoomListTexts(session_.level()));
    if (AsLevel(target) || std::holds_alternative<RoomTarget>(target) ||
        std::holds_alternative<WeatherTarget>(target))
      refresh();
  });
  connect(&session.selection(), &Selection::changed, this, [this](unsigned parts) {
    if (parts & Selection::kRoom) refresh();
  });
  refresh();
}

void RoomsPanel::build() {
  auto* layout = new QHBoxLayout(this);
  roomList_ = List("ListBox1", this);
  Hint(roomList_, "Select the room you want to inspect");
  roomList_->setMaximumWidth(160);
  layout->addWidget(roomList_);
  connect(roomList_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) session_.selection().SelectRoom(row);
  });

  auto* info = new QGroupBox("Room Info", this);
  auto* infoLayout = new QGridLayout(info);
  heightLabel_ = Label("Label12", "Height", info);
  positionLabel_ = Label("Label11", "Position", info);
  lengthLabel_ = Label("Label10", "Long", info);
  widthLabel_ = Label("Label7", "Width", info);
  flagLabel_ = Label("Label13", "Flag", info);
  alternateLabel_ = Label("Label14", "Alternate Room", info);
  waterLabel_ = Label("Label15", "Water Scheme", info);
  int row = 0;
  for (QLabel* l : {widthLabel_, lengthLabel_, positionLabel_, heightLabel_, flagLabel_,
                    alternateLabel_, waterLabel_})
    infoLayout->addWidget(l, row++, 0);
  roomShape_ = new RoomShape(info);
  infoLayout->addWidget(roomShape_, 0, 1, row, 1, Qt::AlignTop);
  layout->addWidget(info, 1);

  auto* side = new QVBoxLayout;
  centre_ = Button("Button1", "Center Camera", this);
  connect(centre_, &QPushButton::clicked, this, &RoomsPanel::centreCameraRequested);
  side->addWidget(centre_);
  autoCentre_ = Check("CheckBox1", "Automatic", this);
  autoCentre_->setChecked(true);
  Hint(autoCentre_, "Automatically center the camera when selecting a room");
  side->addWidget(autoCentre_);
  gauge_ = new ProgressGauge(this);
  gauge_->setMaximum(90);
  gauge_->hide();
  side->addWidget(gauge_);
  cancel_ = Button("ButtonCancelFile", "Cancel", this);
  Hint(cancel_, "Stop reading or writing the level file; nothing changes");
  cancel_->hide();
  connect(cancel_, &QPushButton::clicked, this, &RoomsPanel::cancelRequested);
  side->addWidget(cancel_);
  side->addStretch();
  layout->addLayout(side);

  auto* flags = new QGroupBox("Room Flags", this);
  flagsGroup_ = flags;
  auto* flagsLayout = new QVBoxLayout(flags);
  for (size_t i = 0; i < std::size(kFlagBoxes); ++i) {
    flagBoxes_[i] = Check(kFlagBoxes[i].name, kFlagBoxes[i].caption, flags);
    flagsLayout->addWidget(flagBoxes_[i]);
    connect(flagBoxes_[i], &QCheckBox::clicked, this,
            [this, bit = kFlagBoxes[i].bit](bool on) { report(SetRoomFlag(session_, bit, on)); });
  }
  weatherLabel_ = Label("Label8", "TRC Weather:", flags);
  Hint(weatherLabel_, "The weather of a TR5 level; other generations have none");
  flagsLayout->addWidget(weatherLabel_);
  const char* weather[3][2] = {
      {"RadioButton9", "Normal"}, {"RadioButton10", "Raining"}, {"RadioButton11", "Snowing"}};
  for (int w = 0; w < 3; ++w) {
    weatherButtons_[w] = new QRadioButton(weather[w][1], flags);
    weatherButtons_[w]->setObjectName(weather[w][0]);
    flagsLayout->addWidget(weatherButtons_[w]);
    connect(weatherButtons_[w], &QRadioButton::clicked, this,
            [this, w] { report(SetWeatherValue(session_, static_cast<uint16_t>(w))); });
  }
  weatherButtons_[0]->setChecked(true);
  layout->addWidget(flags);
}

bool RoomsPanel::autoCentre() const {
  return autoCentre_->isChecked();
}

void RoomsPanel::refresh() {
  const bool has_level = session_.HasLevel();
  for (QWidget* w : flagBoxes_) w->setEnabled(has_level);
  // Only TR5 levels keep a weather value.
  const bool has_weather = has_level && HasTrcValues(session_.level());
  for (QWidget* w : weatherButtons_) w->setEnabled(has_weather);
  weatherLabel_->setEnabled(has_weather);
  centre_->setEnabled(has_level && !busy_);
  if (!has_level) return;
  const int r = session_.selection().room();
  SetRow(roomList_, r);
  const troom& room = session_.level().rooms[r];
  const RoomInfoTexts t = ShowRoomInfo(room);
  widthLabel_->setText(S(t.width));
  lengthLabel_->setText(S(t.length));
  positionLabel_->setText(S(t.position));
  heightLabel_->setText(S(t.height));
  flagLabel_->setText(S(t.flag));
  alternateLabel_->setText(S(t.alternate_room));
  waterLabel_->setText(S(t.water_scheme));
  roomShape_->SetBox(t.shape_width, t.shape_height);
  for (size_t i = 0; i < std::size(kFlagBoxes); ++i) {
    const QSignalBlocker block(flagBoxes_[i]);
    flagBoxes_[i]->setChecked(room.flags & kFlagBoxes[i].bit);
  }
  // Other weather values leave the buttons as they were.
  if (const uint16_t w = Weather(session_.level()); w <= 2) weatherButtons_[w]->setChecked(true);
}

void RoomsPanel::setBusy(bool busy) {
  busy_ = busy;
  gauge_->setValue(0);
  gauge_->setVisible(busy);
  cancel_->setEnabled(busy);
  cancel_->setVisible(busy);
  // The group boxes and the list keep the enabled state of their controls for afterwards.
  for (QWidget* w : {static_cast<QWidget*>(roomList_), static_cast<QWidget*>(flagsGroup_),
                     static_cast<QWidget*>(autoCentre_)})
    w->setEnabled(!busy);
  centre_->setEnabled(!busy && session_.HasLevel());
}

void RoomsPanel::report(const Result& result) {
  if (!result.ok()) emit refused(S(result.message()));
}

}  // namespace qavel
