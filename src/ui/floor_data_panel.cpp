#include "ui/floor_data_panel.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "editor/floor_commands.h"
#include "ui/ui_support.h"

namespace qavel {

namespace {

QPlainTextEdit* Memo(const char* name, const char* hint, QWidget* parent) {
  auto* memo = new QPlainTextEdit(parent);
  memo->setObjectName(name);
  memo->setReadOnly(true);
  Hint(memo, hint);
  // The trigger lines line up their colons with spaces, so they are shown in a fixed font.
  memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  return memo;
}

QString Lines(const std::vector<std::string>& lines) {
  QStringList out;
  for (const auto& l : lines) out << S(l);
  return out.join('\n');
}

}  // namespace

FloorDataPanel::FloorDataPanel(EditorSession& session, QWidget* parent)
    : QWidget(parent), session_(session) {
  setObjectName("TabSheet3");
  auto* layout = new QHBoxLayout(this);
  auto* raw = new QGroupBox("Raw floor data", this);
  raw_ = Memo("Memo3", "Undetailed Unparsed info for current trigger", raw);
  (new QVBoxLayout(raw))->addWidget(raw_);
  auto* details = new QGroupBox("Trigger Details", this);
  details_ = Memo("Memo2", "Detailed parsed info for current trigger", details);
  (new QVBoxLayout(details))->addWidget(details_);
  layout->addWidget(raw, 1);
  layout->addWidget(details, 2);

  connect(&session.document(), &LevelDocument::opened, this, &FloorDataPanel::refresh);
  connect(&session.document(), &LevelDocument::changed, this, [this](const EditTarget& target) {
    if (const LevelTarget* whole = AsLevel(target); whole && whole->floor_data) refresh();
  });
  connect(&session.selection(), &Selection::changed, this, [this](unsigned parts) {
    if (parts & (Selection::kRoom | Selection::kSector)) refresh();
  });
}

void FloorDataPanel::refresh() {
  const auto texts = DecodeSelectedSector(session_);
  raw_->setPlainText(texts ? Lines(texts->raw) : QString());
  details_->setPlainText(texts ? Lines(texts->details) : QString());
}

}  // namespace qavel
