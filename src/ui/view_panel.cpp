#include "ui/view_panel.h"

#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

#include "editor/floor_commands.h"
#include "ui/ui_support.h"

namespace qavel {

namespace {

constexpr int kMargin = 4;  // between the panel's edge and the map's box
const char kEmptyHint[] = "Open a level (Ctrl+O) or drop one here.";

}  // namespace

ViewPanel::ViewPanel(EditorSession& session, QWidget* parent) : QFrame(parent), session_(session) {
  setObjectName("Panel1");
  Hint(this, "Click sector, Item or static mesh");
  setAutoFillBackground(true);
  setMinimumHeight(200);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  noteText_ = "The 3D view of the selected room appears here.";
  note_ = new QLabel(this);
  note_->setAlignment(Qt::AlignCenter);
  note_->setWordWrap(true);
  layout->addWidget(note_);
  view_ = note_;
  emptyHint_ = Label("EmptyViewHint", kEmptyHint, this);
  emptyHint_->setAlignment(Qt::AlignCenter);
  emptyHint_->setWordWrap(true);
  emptyHint_->setAttribute(Qt::WA_TransparentForMouseEvents);
  setBackground(0x808000);  // teal

  mapBox_ = new QGroupBox(this);
  mapBox_->setObjectName("GroupBox3");
  auto* boxLayout = new QVBoxLayout(mapBox_);
  boxLayout->setContentsMargins(3, 8, 3, 3);
  mapArea_ = new QScrollArea(mapBox_);
  mapArea_->setObjectName("SectorMapScroll");
  mapArea_->setFrameShape(QFrame::NoFrame);
  mapArea_->setWidgetResizable(false);
  map_ = Label("Image1", "", mapArea_);
  Hint(map_, "Click Sector to get info");
  map_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  map_->installEventFilter(this);
  mapArea_->setWidget(map_);
  boxLayout->addWidget(mapArea_);
  mapBox_->hide();

  connect(&session.document(), &LevelDocument::opened, this, [this] {
    refreshMap();
    showEmptyHint();
  });
  connect(&session.document(), &LevelDocument::changed, this, [this](const EditTarget& target) {
    if (AsLevel(target)) refreshMap();
  });
  connect(&session.selection(), &Selection::changed, this, [this](unsigned parts) {
    if (parts & (Selection::kRoom | Selection::kSector)) refreshMap();
  });
  refreshMap();
  showEmptyHint();
}

void ViewPanel::showEmptyHint() {
  const bool empty = !session_.HasLevel();
  // The hint goes over a view; where the note stands in for the view, the note carries it.
  note_->setText(empty && view_ == note_ ? noteText_ + "\n\n" + kEmptyHint : noteText_);
  emptyHint_->setVisible(empty && view_ != note_);
  emptyHint_->setGeometry(rect());
  emptyHint_->raise();
  mapBox_->raise();
}

void ViewPanel::setViewWidget(QWidget* view) {
  if (view == nullptr || view == view_) return;
  // The layout hands back the item that held the note; it is ours to delete.
  delete layout()->replaceWidget(view_, view);
  view_->hide();  // the note, or a view replaced by another
  view_ = view;
  showEmptyHint();
}

void ViewPanel::setNote(const QString& text) {
  noteText_ = text;
  showEmptyHint();
}

void ViewPanel::setBackground(unsigned colour) {
  background_ = QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
  QPalette p = palette();
  p.setColor(QPalette::Window, background_);
  setPalette(p);
  QPalette text = note_->palette();
  text.setColor(QPalette::WindowText, colour == 0xFFFFFF ? Qt::black : Qt::white);
  note_->setPalette(text);
  emptyHint_->setPalette(text);
  emit backgroundChanged(background_);
}

void ViewPanel::setSectorMapShown(bool on) {
  mapBox_->setVisible(on);
  if (on) placeMap();
}

void ViewPanel::refreshMap() {
  const QImage image = SectorMapImage(session_);
  if (image.isNull()) {
    // Without a level there is no map: a word, not a black square.
    map_->setPixmap(QPixmap());
    map_->setText("No level is open.");
    map_->adjustSize();
  } else {
    map_->setText(QString());
    map_->setPixmap(QPixmap::fromImage(image));
    map_->resize(image.size());
  }
  placeMap();
}

// The box fits the map where the panel has room, and scrolls it where it has not.
void ViewPanel::placeMap() {
  // The box's own frame (the style's) and its layout's margins surround the map.
  const QMargins frame = mapBox_->contentsMargins() + mapBox_->layout()->contentsMargins();
  const QSize want = map_->size().grownBy(frame);
  const QSize room(width() - 2 * kMargin, height() - 2 * kMargin);
  QSize size = want.boundedTo(room);
  // A scroll bar takes room from the other direction.
  const int bar = mapArea_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  if (size.height() < want.height()) size.rwidth() = std::min(want.width() + bar, room.width());
  if (size.width() < want.width()) size.rheight() = std::min(want.height() + bar, room.height());
  mapBox_->setGeometry(QRect(QPoint(kMargin, kMargin), size));
}

void ViewPanel::resizeEvent(QResizeEvent* e) {
  QFrame::resizeEvent(e);
  emptyHint_->setGeometry(rect());
  placeMap();
}

bool ViewPanel::eventFilter(QObject* watched, QEvent* e) {
  if (watched == map_ && e->type() == QEvent::MouseButtonPress) {
    const auto* mouse = static_cast<QMouseEvent*>(e);
    const QPoint at = mouse->position().toPoint();
    if (mouse->button() == Qt::LeftButton && ClickSectorMap(session_, at.x(), at.y()))
      emit sectorClicked();
    return true;
  }
  return QFrame::eventFilter(watched, e);
}

}  // namespace qavel
