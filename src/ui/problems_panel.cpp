#include "ui/problems_panel.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include "inspect/level_problems.h"
#include "ui/ui_support.h"

namespace qavel {

// The document's problems as rows, read where they are kept: a reset after an edit costs nothing
// however many there are, and the view asks only for the rows it shows.
class ProblemsModel : public QAbstractTableModel {
 public:
  ProblemsModel(const LevelDocument& document, QObject* parent)
      : QAbstractTableModel(parent), document_(document) {}

  void reset() {
    beginResetModel();
    endResetModel();
  }
  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(document_.problems().size());
  }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 3; }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    static const char* const kHeaders[] = {"Severity", "Code", "Message"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 2)
      return {};
    return QString(kHeaders[section]);
  }
  QVariant data(const QModelIndex& index, int role) const override {
    const auto& problems = document_.problems();
    if (!index.isValid() || static_cast<size_t>(index.row()) >= problems.size()) return {};
    const Problem& p = problems[index.row()];
    if (role == Qt::DecorationRole && index.column() == 0) {
      return QApplication::style()->standardIcon(p.severity == Severity::kError
                                                     ? QStyle::SP_MessageBoxCritical
                                                     : QStyle::SP_MessageBoxWarning);
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    switch (index.column()) {
      case 0:
        return QString::fromUtf8(SeverityName(p.severity).data(),
                                 static_cast<qsizetype>(SeverityName(p.severity).size()));
      case 1:
        return QString::fromUtf8(p.code.data(), static_cast<qsizetype>(p.code.size()));
      default:
        return S(p.message);
    }
  }

 private:
  const LevelDocument& document_;
};

ProblemsPanel::ProblemsPanel(EditorSession& session, QWidget* parent)
    : QWidget(parent), session_(session) {
  setObjectName("ProblemsPanel");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  summary_ = Label("ProblemsSummary", "", this);
  Hint(summary_, "What may crash the game (errors) and what is almost surely not meant (warnings)");
  model_ = new ProblemsModel(session.document(), this);
  list_ = new QTableView(this);
  list_->setObjectName("ProblemList");
  Hint(list_, "Click a problem to select the room, item, static mesh or sector it names");
  list_->setModel(model_);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setWordWrap(false);
  list_->verticalHeader()->hide();
  // Fixed row heights and column widths: the view never measures every row.
  list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 6);
  list_->horizontalHeader()->setStretchLastSection(true);
  list_->setColumnWidth(0, 90);
  list_->setColumnWidth(1, 170);
  layout->addWidget(summary_);
  layout->addWidget(list_, 1);

  connect(list_, &QTableView::clicked, this, [this](const QModelIndex& i) { goTo(i.row()); });
  connect(list_, &QTableView::activated, this, [this](const QModelIndex& i) { goTo(i.row()); });
  connect(&session.document(), &LevelDocument::opened, this, &ProblemsPanel::refresh);
  connect(&session.document(), &LevelDocument::changed, this, &ProblemsPanel::refresh);
  refresh();
}

ProblemsPanel::~ProblemsPanel() = default;

void ProblemsPanel::refresh() {
  model_->reset();
  summary_->setText(session_.HasLevel() ? S(ProblemsSummary(session_.document().problems()))
                                        : QString());
}

void ProblemsPanel::goTo(int row) {
  const auto& problems = session_.document().problems();
  if (row < 0 || static_cast<size_t>(row) >= problems.size()) return;
  const ProblemPage page = GoToProblem(session_, problems[row].where);
  if (page != ProblemPage::kNone) emit pageWanted(page);
}

}  // namespace qavel
