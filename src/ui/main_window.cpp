#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QOpenGLContext>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTimer>
#include <QUndoStack>

#include "editor/exchange_commands.h"
#include "editor/floor_commands.h"
#include "editor/item_commands.h"
#include "level/zfile.h"
#include "program/program_data.h"
#include "ui/compare_dialog.h"
#include "ui/create_item_dialog.h"
#include "ui/experiments_panel.h"
#include "ui/floor_data_panel.h"
#include "ui/items_panel.h"
#include "ui/main_view.h"
#include "ui/problems_panel.h"
#include "ui/progress_gauge.h"
#include "ui/rooms_panel.h"
#include "ui/statics_panel.h"
#include "ui/texture_tab.h"
#include "ui/view_panel.h"
#include "ui/window_actions.h"

namespace qavel {

namespace {

const char kFileFilter[] = "All Tomb Raider files (*.phd *.tub *.tr2 *.trg *.tr4 *.trc)";
const char kTitle[] = "Qavel 1.1 - Tomb Raider level inspector and editor";
const char kFolderKey[] = "lastFolder";

QMessageBox::Icon IconOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::kInfo:
      return QMessageBox::Information;
    case MessageKind::kWarning:
      return QMessageBox::Warning;
    case MessageKind::kError:
      break;
  }
  return QMessageBox::Critical;
}

// The new errors under the save question: which ones the level did not have before.
QString NewErrorsText(const std::vector<Problem>& added) {
  constexpr size_t kShown = 5;
  QStringList lines{"New since the level was opened or last saved:"};
  for (size_t i = 0; i < added.size() && i < kShown; ++i) lines << S(added[i].message);
  if (added.size() > kShown) lines << QString("and %1 more").arg(added.size() - kShown);
  return lines.join('\n');
}

// The reason of a failure without the file name the headline already gives.
QString Reason(const std::string& message, const QString& path) {
  QString why = S(message);
  const QString name = QFileInfo(path).fileName();
  for (const QString& prefix : {"cannot open " + path + ": ", "cannot write " + path + ": ",
                                "cannot save " + path + ": ", path + ": ", name + ": "}) {
    if (why.startsWith(prefix, Qt::CaseInsensitive)) return why.mid(prefix.size());
  }
  return why;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  setObjectName("Form1");
  setWindowTitle(kTitle);
  setAcceptDrops(true);
  resize(1100, 860);
  messageSink_ = [this](MessageKind kind, const QString& text) {
    QMessageBox box(IconOf(kind), "Qavel", text, QMessageBox::Ok, this);
    box.exec();
  };
  savePrompt_ = [this] {
    return QMessageBox::question(this, "Qavel", "The level has unsaved changes. Save them?",
                                 QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                 QMessageBox::Save);
  };
  question_ = [this](const Question& q) { return makeQuestionBox(q)->exec() == QMessageBox::Yes; };
  fileChooser_ = [this](const FileRequest& r) {
    return r.save ? QFileDialog::getSaveFileName(this, r.caption, r.folder, r.filter)
                  : QFileDialog::getOpenFileName(this, r.caption, r.folder, r.filter);
  };
  // The first run starts in the home folder, not wherever the program was started from.
  lastFolder_ = QSettings().value(kFolderKey, QDir::homePath()).toString();

  actions_ = std::make_unique<WindowActions>(this, session_.undo_stack());
  auto* splitter = new QSplitter(Qt::Vertical, this);
  viewPanel_ = new ViewPanel(session_, splitter);
  splitter->addWidget(viewPanel_);
  buildPages();
  splitter->addWidget(pages_);
  // Neither side folds away: dragged as far as it goes, the pages keep the room their controls
  // need, and the window's smallest size follows from that.
  splitter->setChildrenCollapsible(false);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 0);
  splitter->setSizes({440, 330});
  setCentralWidget(splitter);
  buildStatusBar();
  buildProblemsPanel();
  // Made last, so that a search of the window's controls by name meets the window's own first.
  createDialog_ = new CreateItemDialog(session_, this);
  itemsPanel_->setCreateDialog(createDialog_);
  connect(createDialog_, &CreateItemDialog::createRequested, itemsPanel_,
          &ItemsPanel::duplicateItem);

  session_.document().SetCatalogPath(
      FindProgramData(QCoreApplication::applicationDirPath().toStdString(), "trcatalog.xml"));
  connectActions();
  connectSession();
  // Undo and Redo work wherever the keyboard focus is, spin boxes included.
  qApp->installEventFilter(this);

  loadViewTextures();
  if (const QString why = CheckOpenGl(); !why.isEmpty()) {
    viewPanel_->setNote(why);
    startupNotes_ << why;
  } else {
    buildView();
  }
  // Start-up problems are told once the window runs, so start-up goes on.
  if (!startupNotes_.isEmpty())
    QMetaObject::invokeMethod(this, "tellStartupNotes", Qt::QueuedConnection);
}

void MainWindow::tellStartupNotes() {
  for (const QString& note : startupNotes_) message(MessageKind::kWarning, note);
  startupNotes_.clear();
}

MainWindow::~MainWindow() {
  // The Problems dock tells of its visibility while the window's widgets close, when the session
  // its panel reads is gone already: it goes first.
  delete problemsDock_;
}

QString MainWindow::CheckOpenGl() {
  QSurfaceFormat format;
  format.setVersion(3, 3);
  format.setProfile(QSurfaceFormat::CoreProfile);
  QOpenGLContext context;
  context.setFormat(format);
  if (!context.create())
    return "NO OpenGL 3.3 drivers installed!! No OpenGL context can be created, so there is no "
           "3D view.";
  const auto version = context.format().version();
  if (version < qMakePair(3, 3))
    return QString(
               "NO OpenGL 3.3 drivers installed!! Only OpenGL %1.%2 is available, so there is "
               "no 3D view.")
        .arg(version.first)
        .arg(version.second);
  return {};
}

// ---- Building the window ----

void MainWindow::buildPages() {
  pages_ = new QTabWidget(this);
  pages_->setObjectName("PageControl1");
  roomsPanel_ = new RoomsPanel(session_, pages_);
  itemsPanel_ = new ItemsPanel(session_, pages_);
  floorDataPanel_ = new FloorDataPanel(session_, pages_);
  staticsPanel_ = new StaticsPanel(session_, pages_);
  pages_->addTab(roomsPanel_, "Rooms");
  pages_->addTab(itemsPanel_, "Items");
  pages_->addTab(floorDataPanel_, "Floor Data");
  pages_->addTab(staticsPanel_, "Static Meshes");
  for (const char* name : {"TabSheet5", "TabSheet6", "TabSheet7"}) {
    auto* empty = new QWidget(pages_);
    empty->setObjectName(name);
    pages_->setTabVisible(pages_->addTab(empty, QString()), false);
  }
  experimentsPanel_ = new ExperimentsPanel(session_, pages_);
  pages_->setTabVisible(pages_->addTab(experimentsPanel_, "Experiments"), false);
  textureTab_ = new TextureTab(pages_);
  textureTab_->setObjectName("TabSheet11");
  textureTab_->bindSession(session_);
  pages_->addTab(textureTab_, "Textures");

  auto warn = [this](const QString& why) { message(MessageKind::kWarning, why); };
  connect(roomsPanel_, &RoomsPanel::refused, this, warn);
  connect(itemsPanel_, &ItemsPanel::refused, this, warn);
  connect(staticsPanel_, &StaticsPanel::refused, this, warn);
  connect(itemsPanel_, &ItemsPanel::note, this,
          [this](const QString& text) { statusBar()->showMessage(text, 10000); });
  connect(experimentsPanel_, &ExperimentsPanel::refused, this, warn);
}

void MainWindow::buildStatusBar() {
  auto* status = new QStatusBar(this);
  status->setObjectName("StatusBar1");
  statusHint_ = Label("StatusPanel0", "", status);
  statusHint_->setMinimumWidth(350);
  statusSector_ = Label("StatusPanel1", "", status);
  statusSector_->setMinimumWidth(50);
  status->addWidget(statusHint_);
  status->addWidget(statusSector_, 1);
  statusViewNote_ = Label("StatusViewNote", "", status);
  status->addPermanentWidget(statusViewNote_);
  statusCamera_ = Label("StatusCamera", "", status);
  status->addPermanentWidget(statusCamera_);
  setStatusBar(status);
}

void MainWindow::buildProblemsPanel() {
  problemsDock_ = new QDockWidget("Problems", this);
  problemsDock_->setObjectName("ProblemsDock");
  problemsPanel_ = new ProblemsPanel(session_, problemsDock_);
  problemsDock_->setWidget(problemsPanel_);
  addDockWidget(Qt::BottomDockWidgetArea, problemsDock_);
  problemsDock_->hide();
  QAction* shown = actions_->problems;
  connect(shown, &QAction::toggled, problemsDock_, &QDockWidget::setVisible);
  // Closed by its own button: the menu's tick follows.
  connect(problemsDock_, &QDockWidget::visibilityChanged, this, [this, shown] {
    const QSignalBlocker quiet(shown);
    shown->setChecked(!problemsDock_->isHidden());
  });
  connect(problemsPanel_, &ProblemsPanel::pageWanted, this, &MainWindow::showPage);
}

void MainWindow::showPage(ProblemPage page) {
  switch (page) {
    case ProblemPage::kRooms:
      return pages_->setCurrentWidget(roomsPanel_);
    case ProblemPage::kItems:
      return pages_->setCurrentWidget(itemsPanel_);
    case ProblemPage::kFloorData:
      return pages_->setCurrentWidget(floorDataPanel_);
    case ProblemPage::kStatics:
      return pages_->setCurrentWidget(staticsPanel_);
    case ProblemPage::kTextures:
      return pages_->setCurrentWidget(textureTab_);
    case ProblemPage::kNone:
      break;
  }
}

void MainWindow::connectActions() {
  WindowActions& a = *actions_;
  connect(a.open, &QAction::triggered, this, &MainWindow::openWithDialog);
  connect(a.compareWith, &QAction::triggered, this, &MainWindow::compareWithDialog);
  connect(a.save, &QAction::triggered, this, &MainWindow::saveFile);
  connect(a.saveAs, &QAction::triggered, this, &MainWindow::saveAsWithDialog);
  connect(a.exit, &QAction::triggered, this, &MainWindow::close);
  connect(a.backgroundWhite, &QAction::triggered, this,
          [this] { viewPanel_->setBackground(0xFFFFFF); });
  connect(a.backgroundBlack, &QAction::triggered, this,
          [this] { viewPanel_->setBackground(0x000000); });
  connect(a.backgroundBlue, &QAction::triggered, this,
          [this] { viewPanel_->setBackground(0xFF0000); });
  connect(a.backgroundTeal, &QAction::triggered, this,
          [this] { viewPanel_->setBackground(0x808000); });
  connect(a.gridBox, &QAction::toggled, viewPanel_, &ViewPanel::setSectorMapShown);
  connect(a.experiments, &QAction::toggled, this, [this](bool on) {
    const int index = pages_->indexOf(experimentsPanel_);
    pages_->setTabVisible(index, on);
    if (on) pages_->setCurrentIndex(index);
  });
  for (size_t i = 0; i < a.exchange.size(); ++i)
    connect(a.exchange[i].action, &QAction::triggered, this, [this, i] { runExchange(i); });
  connect(a.about, &QAction::triggered, this, [this] { makeAboutBox()->exec(); });
}

void MainWindow::connectSession() {
  LevelDocument& doc = session_.document();
  ProgressGauge* gauge = roomsPanel_->gauge();
  connect(&doc, &LevelDocument::fileTaskProgress, gauge, &ProgressGauge::setValue);
  connect(&doc, &LevelDocument::parsingFloorData, this,
          [this] { setWindowTitle("PARSING FLOOR DATA..."); });
  connect(&doc, &LevelDocument::fileTaskDone, this, &MainWindow::finishFileTask);
  connect(roomsPanel_, &RoomsPanel::cancelRequested, this, &MainWindow::cancelFileTask);
  connect(&doc, &LevelDocument::opened, this, [this] {
    updateTitle();
    for (const ExchangeAction& e : actions_->exchange) e.action->setEnabled(session_.HasLevel());
    statusSector_->clear();
    showCatalogNotes();
    // A level that would crash the game shows why at once.
    if (CountProblems(session_.document().problems(), Severity::kError) > 0)
      actions_->problems->setChecked(true);
  });
  // An edit that brought a problem says so where it does not stop the user (the edits refuse
  // what the window knows to be an error; what remains is mostly warnings).
  connect(&doc, &LevelDocument::problemsAdded, this, [this](const std::vector<Problem>& added) {
    const Problem& first = added.front();
    statusHint_->setText((first.severity == Severity::kError ? "Error: " : "Warning: ") +
                         S(first.message));
  });
  connect(&doc, &LevelDocument::changedOnDisk, this, &MainWindow::offerReload,
          Qt::QueuedConnection);
  connect(&doc, &LevelDocument::changed, this, &MainWindow::showCatalogNotes);
  connect(&session_.undo_stack(), &QUndoStack::cleanChanged, this, &MainWindow::updateTitle);
  connect(&session_.selection(), &Selection::changed, this, [this](unsigned parts) {
    // The right side names what was chosen last: another item, however chosen, replaces the
    // name of one picked before.
    if (parts & Selection::kItem)
      statusSector_->setText(ItemStatusText(session_, session_.selection().item()));
    if (!(parts & (Selection::kRoom | Selection::kSector))) return;
    if (session_.selection().HasSector())
      statusSector_->setText(S(SectorStatus(session_)));
    else
      statusSector_->clear();
  });
  connect(viewPanel_, &ViewPanel::sectorClicked, this,
          [this] { pages_->setCurrentWidget(floorDataPanel_); });
  connect(textureTab_, &TextureTab::atlasBuilt, this,
          [this](const QImage& atlas) { AddLevelPages(textureStore_, atlas); });
}

void MainWindow::buildView() {
  mainView_ = new MainView(session_, *actions_, textureStore_, viewPanel_);
  mainView_->setBackground(viewPanel_->background());
  mainView_->setAutoCentre([this] { return roomsPanel_->autoCentre(); });
  mainView_->setTexturesShown([this] { return pages_->currentWidget() == textureTab_; });
  viewPanel_->setViewWidget(mainView_);
  createDialog_->attachPreview(textureStore_, mainView_->meshes());
  connect(viewPanel_, &ViewPanel::backgroundChanged, mainView_, &MainView::setBackground);
  connect(roomsPanel_, &RoomsPanel::centreCameraRequested, mainView_, &MainView::centreCamera);
  connect(actions_->transparentTexels, &QAction::toggled, mainView_,
          [this](bool on) { mainView_->setRenderOptions({.transparent_texels = on}); });
  connect(mainView_, &MainView::statusText, this, &MainWindow::setStatusText);
  connect(mainView_, &MainView::floorDataWanted, this,
          [this] { pages_->setCurrentWidget(floorDataPanel_); });
  connect(mainView_, &MainView::itemsWanted, this,
          [this] { pages_->setCurrentWidget(itemsPanel_); });
  connect(mainView_, &MainView::staticsWanted, this,
          [this] { pages_->setCurrentWidget(staticsPanel_); });
  connect(mainView_, &MainView::refused, this,
          [this](const QString& why) { message(MessageKind::kWarning, why); });
  // Items the level has no movable for are told in the status bar after every build, so the
  // user is not stopped at every room, and beside the click's texts, not over them.
  connect(mainView_, &MainView::missingMovables, statusViewNote_, &QLabel::setText);
  connect(mainView_, &MainView::cameraChanged, statusCamera_, &QLabel::setText);
  connect(mainView_, &GlView::failed, this, [this](const QString& why) {
    message(MessageKind::kWarning, "The 3D view cannot draw: " + why);
  });
}

bool MainWindow::moveItemByKey(QObject* target, const QKeyEvent& key) {
  if (!(key.modifiers() & Qt::ShiftModifier) || !session_.HasLevel() || busy()) return false;
  // Only where the arrows have no Shift meaning of their own: the view and the lists that choose
  // what it shows. Text fields keep Shift and the arrows for selecting text.
  const bool item_keys = (mainView_ && target == mainView_) || target == roomsPanel_->roomList() ||
                         target == itemsPanel_->itemList() || target == staticsPanel_->staticList();
  if (!item_keys) return false;
  Arrow arrow{};
  switch (key.key()) {
    case Qt::Key_Left:
      arrow = Arrow::kLeft;
      break;
    case Qt::Key_Right:
      arrow = Arrow::kRight;
      break;
    case Qt::Key_Up:
      arrow = Arrow::kUp;
      break;
    case Qt::Key_Down:
      arrow = Arrow::kDown;
      break;
    default:
      return false;
  }
  if (session_.selection().item() < 0) return false;
  // The arrow moves the item and nothing else: the list keeps its row.
  const GroundAxes axes = mainView_ ? mainView_->groundAxes() : GroundAxes{};
  if (const Result r = MoveItemByArrow(session_, arrow, axes); !r)
    message(MessageKind::kWarning, S(r.message()));
  return true;
}

// ---- Files ----

bool MainWindow::openFile(const QString& path) {
  if (busy()) return false;
  pages_->setCurrentIndex(0);
  if (!session_.document().StartOpen(QDir::toNativeSeparators(path).toStdString())) return false;
  setBusy(true);
  return true;
}

bool MainWindow::saveFile() {
  if (session_.document().file_path().empty()) return false;
  return saveFileAs(S(session_.document().file_path()));
}

bool MainWindow::saveFileAs(const QString& path) {
  if (busy() || !session_.level().IsLoaded()) return false;
  if (!confirmSave(path)) return false;
  pages_->setCurrentIndex(0);
  if (!session_.document().StartSaveAs(path.toStdString())) return false;
  setBusy(true);
  return true;
}

bool MainWindow::confirmSave(const QString& path) {
  LevelDocument& doc = session_.document();
  const std::string file = path.toStdString();
  // A file that cannot be replaced is said at once: no question would change that.
  if (const Result writable = CheckNotReadOnly(file); !writable) {
    message(MessageKind::kError, S(writable.message()));
    return false;
  }
  if (doc.IsOpenedFile(file) && doc.ChangedOnDisk() &&
      !question_({path + " changed on disk since it was opened. Overwrite it?", "Overwrite"}))
    return false;
  if (const std::vector<Problem> added = doc.NewErrors(); !added.empty()) {
    const size_t errors = CountProblems(doc.problems(), Severity::kError);
    const QString text =
        QString("The level has %1 problems that may crash the game. Save anyway?").arg(errors);
    if (!question_({text, "Save Anyway", NewErrorsText(added)})) return false;
  }
  return true;
}

void MainWindow::offerReload() {
  // Not over another question: asked once that one is answered.
  if (QApplication::activeModalWidget()) {
    QTimer::singleShot(500, this, &MainWindow::offerReload);
    return;
  }
  LevelDocument& doc = session_.document();
  // Nor while a file is read or written: asked once it is done, if the change is still there.
  if (busy()) {
    QTimer::singleShot(500, this, &MainWindow::offerReload);
    return;
  }
  if (!doc.ChangedOnDisk()) return;
  const QString path = S(doc.file_path());
  const bool edited = doc.IsModified();
  const QString text = path + (edited ? " changed on disk. Reload it and lose your changes?"
                                      : " changed on disk. Reload it?");
  // An unedited level loses nothing by a reload; edits are kept unless the user says otherwise.
  if (question_({text, "Reload", {}, !edited})) openFile(path);
}

void MainWindow::cancelFileTask() {
  if (!session_.document().CancelFileTask())
    statusHint_->setText("Too late to cancel: the file is being written.");
}

void MainWindow::finishFileTask(const FileOutcome& outcome) {
  setBusy(false);
  updateTitle();
  const QString path = S(outcome.path);
  std::function<void()> then = std::move(afterSave_);
  afterSave_ = nullptr;
  const bool ok = outcome.result.ok();
  if (!ok && !outcome.cancelled)
    fileError(outcome.kind == FileOutcome::kOpen ? "open" : "save", path, outcome.result);
  if (ok) rememberFolder(path);
  if (ok && outcome.kind == FileOutcome::kOpen) {
    // A level that opened with much of its data unread is shown, but the user hears of it before
    // editing: a damaged count is the likely cause, and saving keeps the unread bytes as they
    // are.
    for (const std::string& warning : session_.level().origin.read_warnings)
      message(MessageKind::kWarning, S(warning));
  }
  if (ok && then) then();
  emit fileTaskFinished(ok);
  if (closeWhenDone_) {
    closeWhenDone_ = false;
    close();
  }
}

void MainWindow::setBusy(bool on) {
  if (on)
    QApplication::setOverrideCursor(Qt::BusyCursor);
  else
    QApplication::restoreOverrideCursor();
  WindowActions& a = *actions_;
  for (QAction* action : {a.open, a.save, a.saveAs}) action->setEnabled(!on);
  a.undo->setEnabled(!on && session_.undo_stack().canUndo());
  a.redo->setEnabled(!on && session_.undo_stack().canRedo());
  for (const ExchangeAction& e : a.exchange) e.action->setEnabled(!on && session_.HasLevel());
  // The pages keep the enabled state of their controls for afterwards; the Rooms page keeps its
  // gauge and Cancel button usable.
  for (int i = 0; i < pages_->count(); ++i)
    if (pages_->widget(i) != roomsPanel_) pages_->widget(i)->setEnabled(!on);
  roomsPanel_->setBusy(on);
  viewPanel_->setEnabled(!on);
  createDialog_->setEnabled(!on);
  problemsPanel_->setEnabled(!on);
}

void MainWindow::openWithDialog() {
  if (askToSave([this] { openWithDialog(); }) != SaveAnswer::kGoOn) return;
  const QString path = fileChooser_({"Open", kFileFilter, false, lastFolder_});
  if (!path.isEmpty()) openFile(path);
}

void MainWindow::compareWithDialog() {
  if (!session_.level().IsLoaded() || busy()) return;
  const QString path = fileChooser_({"Compare With", kFileFilter, false, lastFolder_});
  if (!path.isEmpty()) compareWith(path);
}

bool MainWindow::compareWith(const QString& path) {
  if (compareDialog_ == nullptr) {
    compareDialog_ = new CompareDialog(session_, this);
    connect(compareDialog_, &CompareDialog::pageWanted, this, &MainWindow::showPage);
  }
  if (const Result r = compareDialog_->compareWith(path); !r) {
    message(MessageKind::kError, S(r.message()));
    return false;
  }
  compareDialog_->show();
  compareDialog_->raise();
  return true;
}

void MainWindow::saveAsWithDialog() {
  if (!session_.level().IsLoaded() || busy()) return;
  const QString path =
      fileChooser_({"Save As", kFileFilter, true, S(session_.document().file_path())});
  if (!path.isEmpty()) saveFileAs(path);
}

void MainWindow::rememberFolder(const QString& path) {
  lastFolder_ = QFileInfo(path).absolutePath();
  QSettings().setValue(kFolderKey, lastFolder_);
}

MainWindow::SaveAnswer MainWindow::askToSave(std::function<void()> then) {
  if (busy()) return SaveAnswer::kStop;
  if (!session_.document().IsModified()) return SaveAnswer::kGoOn;
  switch (savePrompt_()) {
    case QMessageBox::Save:
      afterSave_ = std::move(then);
      if (saveFile()) return SaveAnswer::kWait;
      afterSave_ = nullptr;
      return SaveAnswer::kStop;
    case QMessageBox::Discard:
      return SaveAnswer::kGoOn;
    default:
      return SaveAnswer::kStop;
  }
}

void MainWindow::closeEvent(QCloseEvent* e) {
  if (busy()) {
    // The window closes once the task is over; an open need not go on for it.
    closeWhenDone_ = true;
    if (!session_.document().CancelFileTask())
      statusHint_->setText("The window closes once the file is written.");
    e->ignore();
    return;
  }
  if (askToSave([this] { close(); }) == SaveAnswer::kGoOn) {
    createDialog_->close();
    e->accept();
  } else {
    e->ignore();
  }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* e) {
  const auto urls = e->mimeData()->urls();
  if (!urls.isEmpty() && urls.first().isLocalFile()) e->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* e) {
  if (openDropped(e->mimeData()->urls())) e->acceptProposedAction();
}

bool MainWindow::openDropped(const QList<QUrl>& urls) {
  if (urls.isEmpty() || !urls.first().isLocalFile()) return false;
  const QString path = urls.first().toLocalFile();
  switch (askToSave([this, path] { openFile(path); })) {
    case SaveAnswer::kGoOn:
      return openFile(path);
    case SaveAnswer::kWait:
      return true;
    case SaveAnswer::kStop:
      break;
  }
  return false;
}

void MainWindow::runExchange(size_t index) {
  const ExchangeAction& e = actions_->exchange.at(index);
  if (!session_.HasLevel()) return;
  const ExchangeFormat& f = GetExchangeFormat(e.format);
  const QString path = fileChooser_(
      {e.save ? f.export_caption : f.import_caption, f.file_filter, e.save, lastFolder_});
  if (path.isEmpty()) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const std::string file = QDir::toNativeSeparators(path).toStdString();
  const Result r =
      e.save ? ExportFile(session_, e.format, file) : ImportFile(session_, e.format, file);
  QApplication::restoreOverrideCursor();
  if (r) rememberFolder(path);
  if (!r.message().empty()) message(r ? MessageKind::kInfo : MessageKind::kWarning, S(r.message()));
}

std::unique_ptr<QMessageBox> MainWindow::makeQuestionBox(const Question& q) {
  auto box = std::make_unique<QMessageBox>(QMessageBox::Question, "Qavel", q.text,
                                           QMessageBox::Yes | QMessageBox::Cancel, this);
  if (!q.yes.isEmpty()) box->button(QMessageBox::Yes)->setText(q.yes);
  box->setInformativeText(q.details);
  box->setDefaultButton(q.yes_by_default ? QMessageBox::Yes : QMessageBox::Cancel);
  box->setEscapeButton(QMessageBox::Cancel);
  return box;
}

std::unique_ptr<QMessageBox> MainWindow::makeAboutBox() {
  auto box = std::make_unique<QMessageBox>(this);
  box->setObjectName("AboutBox");
  box->setWindowTitle("About Qavel");
  box->setIconPixmap(windowIcon().pixmap(48, 48));
  box->setText("Qavel 1.1, Revision 0");
  box->setInformativeText(
      "Inspector and editor of Tomb Raider level files of every engine generation, 2026.");
  // Wide enough for its title and its line of credits, whatever the window manager does.
  box->setStyleSheet("QLabel { min-width: 420px; }");
  return box;
}

// ---- Messages, hints and the title ----

bool MainWindow::event(QEvent* e) {
  // Coming back to the window is when a change another program made matters.
  if (e->type() == QEvent::WindowActivate) session_.document().CheckDisk();
  if (e->type() == QEvent::StatusTip) {
    // Hints go to the first panel of the status bar (the part after a "|" when there is one).
    const QString tip = static_cast<QStatusTipEvent*>(e)->tip();
    statusHint_->setText(tip.section('|', -1));
    return true;
  }
  return QMainWindow::event(e);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::KeyPress && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == this &&
      moveItemByKey(watched, *static_cast<QKeyEvent*>(e)))
    return true;
  // A spin box (its line edit) claims Ctrl+Z for its own text; in this window and its tool
  // windows the keys undo and redo the level's edits instead, wherever the focus is.
  if (e->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
      (static_cast<QWidget*>(watched)->window() == this ||
       static_cast<QWidget*>(watched)->window() == createDialog_)) {
    const QKeySequence keys(static_cast<QKeyEvent*>(e)->keyCombination());
    if (keys == actions_->undo->shortcut() || keys == actions_->redo->shortcut()) {
      e->ignore();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, e);
}

void MainWindow::message(MessageKind kind, const QString& text) {
  messageSink_(kind, text);
}

void MainWindow::fileError(const char* verb, const QString& path, const Result& result) {
  // A reason that names the file itself ("PATH is read-only") is the whole message.
  if (S(result.message()).startsWith(path + " "))
    return message(MessageKind::kError, S(result.message()));
  message(MessageKind::kError,
          QString("Cannot %1 %2:\n%3").arg(verb, path, Reason(result.message(), path)));
}

void MainWindow::setStatusText(int panel, const QString& text) {
  (panel == 0 ? statusHint_ : statusSector_)->setText(text);
}

void MainWindow::showCatalogNotes() {
  for (const std::string& note : session_.document().names().notes) {
    const QString text = S(note);
    if (toldNotes_.insert(text).second) message(MessageKind::kWarning, text);
  }
}

void MainWindow::updateTitle() {
  if (session_.document().file_path().empty()) {
    setWindowTitle(kTitle);
    return;
  }
  // The file's name first, as the task bar shows it; "*" while it has unsaved edits.
  setWindowTitle(QFileInfo(S(session_.document().file_path())).fileName() + "[*] - Qavel");
  setWindowFilePath(S(session_.document().file_path()));
  setWindowModified(session_.document().IsModified());
}

void MainWindow::loadViewTextures() {
  const std::string why =
      LoadViewTexturesBeside(textureStore_, QCoreApplication::applicationDirPath().toStdString());
  if (!why.empty()) startupNotes_ << S(why);
}

}  // namespace qavel
