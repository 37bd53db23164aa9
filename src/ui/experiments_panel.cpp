#include "ui/experiments_panel.h"

#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <limits>

#include "editor/room_commands.h"
#include "inspect/panel_texts.h"
#include "ui/ui_support.h"

namespace qavel {

ExperimentsPanel::ExperimentsPanel(EditorSession& session, QWidget* parent)
    : QWidget(parent), session_(session) {
  setObjectName("TabSheet8");
  auto* layout = new QVBoxLayout(this);
  auto* inner = new QTabWidget(this);
  inner->setObjectName("PageControl2");
  auto* unknowns = new QWidget(inner);
  unknowns->setObjectName("TabSheet9");
  auto* row = new QHBoxLayout(unknowns);
  valueList_ = List("ListBox3", unknowns);
  row->addWidget(valueList_, 1);
  auto* column = new QVBoxLayout;
  valueSpin_ =
      Spin("SpinEdit3", std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), unknowns);
  floatSpin_ = new QDoubleSpinBox(unknowns);
  floatSpin_->setObjectName("SpinEdit3Fraction");
  floatSpin_->setRange(-1e9, 1e9);
  floatSpin_->setDecimals(4);
  Hint(floatSpin_, "A number with a fraction (the file keeps a 32-bit float)");
  floatSpin_->hide();
  edit_ = Speed("SpeedButton6", "<<EDIT>>", unknowns);
  Hint(edit_, "Find where else this movable is placed");
  lockNote_ = new QLabel(unknowns);
  lockNote_->setObjectName("TrcLineNote");
  lockNote_->setWordWrap(true);
  lockNote_->setMaximumWidth(220);
  lockNote_->hide();
  column->addWidget(valueSpin_);
  column->addWidget(floatSpin_);
  column->addWidget(edit_);
  column->addWidget(lockNote_);
  column->addStretch();
  row->addLayout(column);
  inner->addTab(unknowns, "TRC_Unknowns/Rooms");
  auto* other = new QWidget(inner);
  other->setObjectName("TabSheet10");
  inner->addTab(other, "Other_Unknowns");
  layout->addWidget(inner);

  connect(valueList_, &QListWidget::currentRowChanged, this, &ExperimentsPanel::showLine);
  connect(edit_, &QToolButton::clicked, this, [this] {
    const int line = valueList_->currentRow();
    const double value = TrcValueIsFloat(line) ? floatSpin_->value() : valueSpin_->value();
    const Result r = SetTrcValue(session_, line, value);
    if (!r) {
      emit refused(S(r.message()));
      return;
    }
    // The list is written again and its selection is gone.
    valueList_->clear();
    refresh();
  });

  connect(&session.document(), &LevelDocument::opened, this, &ExperimentsPanel::refresh);
  connect(&session.document(), &LevelDocument::changed, this, [this](const EditTarget& target) {
    if (AsLevel(target) || std::holds_alternative<RoomTarget>(target)) refresh();
  });
  connect(&session.selection(), &Selection::changed, this, [this](unsigned parts) {
    if (parts & Selection::kRoom) refresh();
  });
  refresh();
}

void ExperimentsPanel::refresh() {
  if (!session_.HasLevel()) {
    SyncList(valueList_, {});
    showLine(-1);
    return;
  }
  const int line = valueList_->currentRow();
  SyncList(valueList_, TrcValueLines(session_.level().rooms[session_.selection().room()]));
  SetRow(valueList_, line);
  showLine(valueList_->currentRow());
}

void ExperimentsPanel::showLine(int line) {
  const bool has_values = session_.HasLevel() && HasTrcValues(session_.level());
  const bool chosen = has_values && line >= 0;
  std::string locked = chosen ? TrcValueLockedReason(line) : std::string();
  if (session_.HasLevel() && !has_values) locked = "Only TR5 rooms have these values.";
  const bool fraction = chosen && TrcValueIsFloat(line);
  valueSpin_->setVisible(!fraction);
  floatSpin_->setVisible(fraction);
  valueSpin_->setEnabled(has_values && locked.empty());
  floatSpin_->setEnabled(has_values && locked.empty());
  edit_->setEnabled(chosen && locked.empty());
  lockNote_->setText(S(locked));
  lockNote_->setVisible(!locked.empty());
  if (!chosen) return;
  const troom& room = session_.level().rooms[session_.selection().room()];
  if (fraction) {
    const QSignalBlocker quiet(floatSpin_);
    floatSpin_->setValue(TrcNumber(room, line));
  } else {
    SetSpin(valueSpin_, static_cast<int32_t>(TrcValue(room, line)));
  }
}

}  // namespace qavel
