#include "ui/experiments_panel.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <limits>

#include "editor/panel_texts.h"
#include "editor/room_commands.h"
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
  edit_ = Speed("SpeedButton6", "<<EDIT>>", unknowns);
  Hint(edit_, "Find where else this movable is placed");
  column->addWidget(valueSpin_);
  column->addWidget(edit_);
  column->addStretch();
  row->addLayout(column);
  inner->addTab(unknowns, "TRC_Unknowns/Rooms");
  auto* other = new QWidget(inner);
  other->setObjectName("TabSheet10");
  inner->addTab(other, "Other_Unknowns");
  layout->addWidget(inner);

  connect(valueList_, &QListWidget::currentRowChanged, this, [this](int line) {
    edit_->setEnabled(session_.HasLevel() && line >= 0);
    if (!session_.HasLevel() || line < 0) return;
    const troom& room = session_.level().rooms[session_.selection().room()];
    SetSpin(valueSpin_, static_cast<int32_t>(TrcValue(room, line)));
  });
  connect(edit_, &QToolButton::clicked, this, [this] {
    const Result r = SetTrcValue(session_, valueList_->currentRow(), valueSpin_->value());
    if (!r) {
      emit refused(S(r.message()));
      return;
    }
    // The list is written again and its selection is gone.
    valueList_->clear();
    refresh();
  });

  connect(&session.document(), &LevelDocument::opened, this, &ExperimentsPanel::refresh);
  connect(&session.document(), &LevelDocument::changed, this, [this](Change what) {
    if (what == Change::kRoom || what == Change::kLevel || what == Change::kLevelFloorData)
      refresh();
  });
  connect(&session.selection(), &Selection::changed, this, [this](unsigned parts) {
    if (parts & Selection::kRoom) refresh();
  });
  refresh();
}

void ExperimentsPanel::refresh() {
  if (!session_.HasLevel()) {
    SyncList(valueList_, {});
    SetEnabled({valueSpin_, edit_}, false);
    return;
  }
  const int line = valueList_->currentRow();
  SyncList(valueList_, TrcValueLines(session_.level().rooms[session_.selection().room()]));
  SetRow(valueList_, line);
  valueSpin_->setEnabled(true);
  edit_->setEnabled(valueList_->currentRow() >= 0);
}

}  // namespace qavel
