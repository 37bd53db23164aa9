#include "ui/compare_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "level/level_reader.h"
#include "ui/ui_support.h"

namespace qavel {

CompareDialog::CompareDialog(EditorSession& session, QWidget* parent)
    : QDialog(parent), session_(session) {
  setObjectName("CompareDialog");
  setWindowTitle("Compare With");
  auto* layout = new QVBoxLayout(this);
  summary_ = new QLabel(this);
  summary_->setObjectName("CompareSummary");
  summary_->setWordWrap(true);
  layout->addWidget(summary_);
  list_ = new QListWidget(this);
  list_->setObjectName("CompareList");
  list_->setToolTip("Click a line to select what it names in the open level");
  layout->addWidget(list_, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
  layout->addWidget(buttons);
  connect(list_, &QListWidget::currentRowChanged, this, &CompareDialog::goTo);
  connect(list_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { goTo(list_->row(item)); });
  resize(560, 420);
}

Result CompareDialog::compareWith(const QString& path) {
  const Ttrlevel& open = session_.level();
  if (!open.IsLoaded()) return Result::Fail(Status::kNothingLoaded, "No level is open.");
  // A level reads in milliseconds to a few seconds: the window waits, as for a check.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const Expected<Ttrlevel> other = ReadLevel(QDir::toNativeSeparators(path).toStdString());
  Expected<std::vector<LevelDifference>> found =
      other ? DiffLevels(open, *other) : Expected<std::vector<LevelDifference>>(other.result());
  QApplication::restoreOverrideCursor();
  if (!found) return found.result();
  differences_ = std::move(*found);
  const QSignalBlocker quiet(list_);
  list_->clear();
  for (const LevelDifference& d : differences_) {
    auto* item = new QListWidgetItem(S(d.Text()), list_);
    if (!PlaceOfDifference(d))
      item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
  }
  const QString name = QFileInfo(path).fileName();
  summary_->setText(differences_.empty() ? QString("The open level and %1 are the same.").arg(name)
                                         : QString("%1 difference(s) from the open level to %2:")
                                               .arg(differences_.size())
                                               .arg(name));
  setWindowTitle("Compare With " + name);
  return Result::Ok();
}

void CompareDialog::goTo(int row) {
  if (row < 0 || static_cast<size_t>(row) >= differences_.size()) return;
  const auto place = PlaceOfDifference(differences_[static_cast<size_t>(row)]);
  if (!place) return;
  const ProblemPage page = GoToProblem(session_, *place);
  if (page != ProblemPage::kNone) emit pageWanted(page);
}

}  // namespace qavel
