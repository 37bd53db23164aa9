#include "ui/main_window.h"

#include <array>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>

#include "textures/atlas.h"
#include "ui/create_item_dialog.h"
#include "ui/texture_tab.h"

namespace qavel {

namespace {

const char kFileFilter[] = "All Tomb Raider files (*.phd *.tub *.tr2 *.trg *.tr4 *.trc)";
const char kTitle[] = "Qavel 1.1 - Tomb Raider level inspector and editor";

// Panel units times 512 (x, z) or 256 (y) must stay within a 32-bit world value.
constexpr int kPanelLimit = 4000000;

QString S(const std::string& text) {
  return QString::fromStdString(text);
}

void Hint(QWidget* w, const char* hint) {
  w->setToolTip(hint);
  w->setStatusTip(hint);
}

QLabel* Label(const char* name, const char* text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  return l;
}

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  return b;
}

QSpinBox* Spin(const char* name, int min, int max, QWidget* parent) {
  auto* s = new QSpinBox(parent);
  s->setObjectName(name);
  s->setRange(min, max);
  return s;
}

QCheckBox* Check(const char* name, const char* caption, QWidget* parent) {
  auto* c = new QCheckBox(caption, parent);
  c->setObjectName(name);
  return c;
}

QToolButton* Speed(const char* name, const char* caption, QWidget* parent) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setText(caption);
  return b;
}

QListWidget* List(const char* name, QWidget* parent) {
  auto* l = new QListWidget(parent);
  l->setObjectName(name);
  return l;
}

// A spin edit with its button on one row.
QHBoxLayout* Row(QWidget* spin, QWidget* button) {
  auto* row = new QHBoxLayout;
  row->addWidget(spin);
  row->addWidget(button);
  return row;
}

// The X, Y and Z spin edits with their Change buttons and the "-Auto-" box, as the item and
// static-mesh panels both have them; names are the controls' objectNames in X, Y, Z order.
struct PositionEditor {
  QGroupBox* box;
  QSpinBox* x;
  QSpinBox* y;
  QSpinBox* z;
  QPushButton* changeX;
  QPushButton* changeY;
  QPushButton* changeZ;
  QCheckBox* autoBox;
};

PositionEditor MakePositionEditor(const char* title, std::array<const char*, 3> spins,
                                  std::array<const char*, 3> buttons, const char* auto_name,
                                  int limit, QWidget* parent) {
  PositionEditor e{};
  e.box = new QGroupBox(title, parent);
  auto* layout = new QVBoxLayout(e.box);
  e.x = Spin(spins[0], -limit, limit, e.box);
  e.y = Spin(spins[1], -2 * limit, 2 * limit, e.box);
  e.z = Spin(spins[2], -limit, limit, e.box);
  e.changeX = Button(buttons[0], "Change -X-", e.box);
  e.changeY = Button(buttons[1], "Change -Y-", e.box);
  e.changeZ = Button(buttons[2], "Change -Z-", e.box);
  layout->addLayout(Row(e.x, e.changeX));
  layout->addLayout(Row(e.y, e.changeY));
  layout->addLayout(Row(e.z, e.changeZ));
  e.autoBox = Check(auto_name, "-Auto-", e.box);
  layout->addWidget(e.autoBox);
  return e;
}

// Replaces the texts of a list only where they differ, so that the selection and the scroll
// position survive an edit.
void SyncList(QListWidget* list, const std::vector<std::string>& texts) {
  QSignalBlocker block(list);
  while (list->count() > static_cast<int>(texts.size())) delete list->takeItem(list->count() - 1);
  for (size_t i = 0; i < texts.size(); ++i) {
    const QString t = S(texts[i]);
    if (static_cast<int>(i) < list->count()) {
      if (list->item(static_cast<int>(i))->text() != t) list->item(static_cast<int>(i))->setText(t);
    } else {
      list->addItem(t);
    }
  }
}

void SetRow(QListWidget* list, int row) {
  QSignalBlocker block(list);
  list->setCurrentRow(row < list->count() ? row : -1);
}

void SetSpin(QSpinBox* spin, int value) {
  QSignalBlocker block(spin);
  spin->setValue(value);
}

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

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  setObjectName("Form1");
  setWindowTitle(kTitle);
  setAcceptDrops(true);
  resize(1100, 860);
  messageSink_ = [this](const QString& text) { QMessageBox::information(this, "Qavel", text); };
  savePrompt_ = [this] {
    return QMessageBox::question(this, "Qavel", "The level has unsaved changes. Save them?",
                                 QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                 QMessageBox::Save);
  };

  fileChooser_ = [this](const QString& caption, const QString& filter, bool save) {
    return save ? QFileDialog::getSaveFileName(this, caption, QString(), filter)
                : QFileDialog::getOpenFileName(this, caption, QString(), filter);
  };

  buildMenus();
  buildToolBar();

  auto* splitter = new QSplitter(Qt::Vertical, this);
  splitter->addWidget(buildViewPanel());
  pages_ = new QTabWidget(splitter);
  pages_->setObjectName("PageControl1");
  pages_->addTab(buildRoomsTab(), "Rooms");
  pages_->addTab(buildItemsTab(), "Items");
  pages_->addTab(buildFloorDataTab(), "Floor Data");
  pages_->addTab(buildStaticsTab(), "Static Meshes");
  for (const char* name : {"TabSheet5", "TabSheet6", "TabSheet7"}) {
    auto* empty = new QWidget(pages_);
    empty->setObjectName(name);
    pages_->setTabVisible(pages_->addTab(empty, QString()), false);
  }
  pages_->setTabVisible(pages_->addTab(buildExperimentsTab(), "Experiments"), false);
  textureTab_ = new TextureTab(pages_);
  QWidget* textures = textureTab_;
  textures->setObjectName("TabSheet11");
  pages_->addTab(textures, "Textures");
  splitter->addWidget(pages_);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 0);
  splitter->setSizes({440, 330});
  setCentralWidget(splitter);

  auto* status = new QStatusBar(this);
  status->setObjectName("StatusBar1");
  statusHint_ = Label("StatusPanel0", "", status);
  statusHint_->setMinimumWidth(350);
  statusSector_ = Label("StatusPanel1", "", status);
  statusSector_->setMinimumWidth(50);
  status->addWidget(statusHint_);
  status->addWidget(statusSector_, 1);
  setStatusBar(status);
  // Made last, so that a search of the window's controls by name meets the window's own first.
  createDialog_ = new CreateItemDialog(&session_, this);

  session_.SetProgress([this](int percent) {
    gauge_->setValue(std::min(percent, gauge_->maximum()));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  });
  const QString app_dir = QCoreApplication::applicationDirPath();
  session_.SetCatalogPath((app_dir + "/trcatalog.xml").toStdString());
  connect(&session_, &EditorSession::opened, this, &MainWindow::onOpened);
  connect(&session_, &EditorSession::parsingFloorData, this, [this] {
    gauge_->setValue(0);
    setWindowTitle("PARSING FLOOR DATA...");
    statusBar()->repaint();
  });
  connect(&session_, &EditorSession::changed, this, &MainWindow::onChanged);
  connect(&session_, &EditorSession::createModeChanged, this, [this](bool on) {
    if (!on) createDialog_->hide();
  });
  connect(&session_.undo_stack(), &QUndoStack::cleanChanged, this, &MainWindow::updateTitle);
  connect(createDialog_, &CreateItemDialog::createRequested, this, &MainWindow::duplicateItem);

  loadViewTextures();
  if (const QString why = CheckOpenGl(); !why.isEmpty()) {
    viewNote_->setText(why);
    QMetaObject::invokeMethod(
        this, [this, why] { message(why); }, Qt::QueuedConnection);
  }
}

MainWindow::~MainWindow() = default;

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

void MainWindow::buildMenus() {
  auto action = [](QMenu* menu, const char* name, const char* caption, const char* hint,
                   const QKeySequence& key = {}) {
    auto* a = menu->addAction(caption);
    a->setObjectName(name);
    if (hint) a->setStatusTip(hint);
    if (!key.isEmpty()) a->setShortcut(key);
    return a;
  };
  QMenu* file = menuBar()->addMenu("&File");
  connect(action(file, "Open1", "&Open", "Open level to inspect", QKeySequence::Open),
          &QAction::triggered, this, &MainWindow::openWithDialog);
  connect(action(file, "Save1", "Sa&ve", "Save the level to its file", QKeySequence::Save),
          &QAction::triggered, this, &MainWindow::saveFile);
  connect(action(file, "SaveAs1", "&Save As...", nullptr), &QAction::triggered, this,
          &MainWindow::saveAsWithDialog);
  file->addSeparator();
  connect(action(file, "Exit1", "&Exit", "good bye"), &QAction::triggered, this,
          &MainWindow::close);

  QMenu* edit = menuBar()->addMenu("&Edit");
  QAction* undo = session_.undo_stack().createUndoAction(this, "&Undo");
  undo->setObjectName("Undo1");
  undo->setShortcut(QKeySequence("Ctrl+Z"));
  QAction* redo = session_.undo_stack().createRedoAction(this, "&Redo");
  redo->setObjectName("Redo1");
  redo->setShortcut(QKeySequence("Ctrl+Shift+Z"));
  edit->addAction(undo);
  edit->addAction(redo);

  QMenu* view = menuBar()->addMenu("&View");
  auto toggle = [&](const char* name, const char* caption, const char* hint,
                    const QKeySequence& key) {
    QAction* a = action(view, name, caption, hint, key);
    a->setCheckable(true);
    return a;
  };
  // The four switches are read by the 3D view when it draws; they keep their marks until then.
  toggle("HideStaticMesh1", "Hide &Static Mesh", "Show/Hide ornaments", Qt::Key_F2);
  toggle("HideItems1", "Hide &Items", "Show/Hide items", Qt::Key_F3);
  toggle("WireframeRoom1", "Wireframe Room", "Show the room in wireframe mode", Qt::Key_F4);
  toggle("WireframeObjects1", "Wireframe Objects", "Show ornaments and items in wireframe mode",
         Qt::Key_F5);
  view->addSeparator();
  const char* background_hint = "change 3d view background color";
  connect(action(view, "BackgroundcolorWhite1", "Background color - White", background_hint),
          &QAction::triggered, this, [this] { setViewBackground(0xFFFFFF); });
  connect(action(view, "BackgroundcolorBlack1", "Background color - Black", background_hint),
          &QAction::triggered, this, [this] { setViewBackground(0x000000); });
  connect(action(view, "BackgroundcolorBlue1", "Background color - Blue", background_hint),
          &QAction::triggered, this, [this] { setViewBackground(0xFF0000); });
  view->addSeparator();
  gridBox_ = toggle("HideRoomsGridbox1", "Hide Rooms Gridbox", nullptr, {});
  connect(gridBox_, &QAction::toggled, this, &MainWindow::toggleGridBox);
  texturedRoom_ = toggle("TexturedRoom1", "Textured Room", nullptr, {});
  view->addSeparator();
  QAction* experiments = toggle("Experiments1", "Show &Experiments Page",
                                "Show the page of unknown TR5 room values", {});
  connect(experiments, &QAction::toggled, this, [this](bool on) {
    const int index = pages_->indexOf(pages_->findChild<QWidget*>("TabSheet8"));
    pages_->setTabVisible(index, on);
    if (on) pages_->setCurrentIndex(index);
  });

  // Every exchange command works on the loaded level.
  QMenu* import = menuBar()->addMenu("Import");
  QMenu* exportMenu = menuBar()->addMenu("Export");
  using Command = std::function<bool(const std::string&, std::string*)>;
  auto exchange = [&](QMenu* menu, const char* name, const char* caption, const char* filter,
                      bool save, Command command) {
    QAction* a = action(menu, name, caption, nullptr);
    a->setEnabled(false);
    exchangeActions_.push_back(a);
    connect(a, &QAction::triggered, this, [this, caption, filter, save, command] {
      runExchange(caption, filter, save, command);
    });
  };
  auto call = [this](bool (EditorSession::*command)(const std::string&, std::string*)) {
    return [this, command](const std::string& path, std::string* m) {
      return (session_.*command)(path, m);
    };
  };
  auto msh = [this](bool geometry_only) {
    return [this, geometry_only](const std::string& path, std::string* m) {
      return session_.ImportMsh(path, geometry_only, m);
    };
  };
  const char* dxf_filter = "DXF File (*.dxf)";
  const char* msh_filter = "MSH File (*.msh)";
  const char* zqp_filter = "ZQP File (*.zqp)";
  exchange(import, "ImportDXF1", "Import DXF(Current Room)", dxf_filter, false,
           call(&EditorSession::ImportRoomDxf));
  exchange(import, "ImportMSH1", "Import MSH_1", msh_filter, false, msh(false));
  exchange(import, "ImportMSH2", "Import MSH_2", msh_filter, false, msh(true));
  exchange(import, "ImportZQP1", "Import ZQP", zqp_filter, false, call(&EditorSession::ImportZqp));
  exchange(exportMenu, "ExportDXF1", "Export DXF(Current Room)", dxf_filter, true,
           call(&EditorSession::ExportRoomDxf));
  exchange(exportMenu, "ExportMSH1", "Export MSH", msh_filter, true,
           call(&EditorSession::ExportMsh));
  exchange(exportMenu, "ExportZQP1", "Export ZQP", zqp_filter, true,
           call(&EditorSession::ExportZqp));

  QMenu* help = menuBar()->addMenu("&Help");
  connect(action(help, "About1", "&About...", "Show program version and revision"),
          &QAction::triggered, this, &MainWindow::showAbout);
}

void MainWindow::buildToolBar() {
  auto* bar = new QToolBar(this);
  bar->setObjectName("ActionToolBar1");
  bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  bar->setMovable(false);
  addToolBar(bar);
  auto tool = [this, bar](const char* name, const char* caption, const char* menu_item) {
    QAction* target = findChild<QAction*>(menu_item);
    auto* a = bar->addAction(caption);
    a->setObjectName(name);
    a->setStatusTip(target->statusTip());
    connect(a, &QAction::triggered, target, &QAction::trigger);
    return a;
  };
  tool("Action1", "&Open", "Open1");
  tool("Action4", "&Wireframe Room", "WireframeRoom1");
  tool("Action5", "W&ireframe Objects", "WireframeObjects1");
  tool("Action3", "&Hide Items", "HideItems1");
  tool("Action2", "Hi&de Static Mesh", "HideStaticMesh1");
  tool("Action6", "&Show Rooms Gridbox", "HideRoomsGridbox1");
  standardRoomTool_ = tool("Action7", "Show S&tandard Room", "TexturedRoom1");
  connect(texturedRoom_, &QAction::triggered, this,
          [this] { standardRoomTool_->setText("Show Textured Room"); });
}

QWidget* MainWindow::buildViewPanel() {
  viewPanel_ = new QFrame(this);
  viewPanel_->setObjectName("Panel1");
  Hint(viewPanel_, "Click sector, Item or static mesh");
  viewPanel_->setAutoFillBackground(true);
  viewPanel_->setMinimumHeight(200);
  auto* layout = new QVBoxLayout(viewPanel_);
  viewNote_ = new QLabel("The 3D view of the selected room appears here.", viewPanel_);
  viewNote_->setAlignment(Qt::AlignCenter);
  viewNote_->setWordWrap(true);
  layout->addWidget(viewNote_);
  setViewBackground(0x808000);  // teal

  // The sector map floats over the view at its top left corner.
  sectorMapBox_ = new QGroupBox(viewPanel_);
  sectorMapBox_->setObjectName("GroupBox3");
  sectorMap_ = Label("Image1", "", sectorMapBox_);
  Hint(sectorMap_, "Click Sector to get info");
  QPixmap blank(240, 240);
  blank.fill(Qt::black);
  sectorMap_->setPixmap(blank);
  sectorMap_->move(4, 9);
  sectorMap_->resize(240, 240);
  sectorMapBox_->setGeometry(4, 4, 247, 252);
  sectorMapBox_->hide();
  sectorMap_->installEventFilter(this);
  return viewPanel_;
}

QWidget* MainWindow::buildRoomsTab() {
  auto* page = new QWidget;
  page->setObjectName("TabSheet1");
  auto* layout = new QHBoxLayout(page);

  roomList_ = List("ListBox1", page);
  Hint(roomList_, "Select the room you want to inspect");
  roomList_->setMaximumWidth(160);
  layout->addWidget(roomList_);
  connect(roomList_, &QListWidget::currentRowChanged, this, &MainWindow::roomClicked);

  auto* info = new QGroupBox("Room Info", page);
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
  auto* centre = Button("Button1", "Center Camera", page);
  side->addWidget(centre);  // centres the 3D view once it exists
  autoCentre_ = Check("CheckBox1", "Automatic", page);
  autoCentre_->setChecked(true);
  Hint(autoCentre_, "Automatically center the camera when selecting a room");
  side->addWidget(autoCentre_);
  gauge_ = new QProgressBar(page);
  gauge_->setObjectName("Gauge1");
  gauge_->setRange(0, 90);
  gauge_->setValue(0);
  gauge_->setTextVisible(false);
  gauge_->setStyleSheet("QProgressBar::chunk { background: red; }");
  side->addWidget(gauge_);
  side->addStretch();
  layout->addLayout(side);

  auto* flags = new QGroupBox("Room Flags", page);
  auto* flagsLayout = new QVBoxLayout(flags);
  const struct {
    QCheckBox** box;
    const char* name;
    const char* caption;
    RoomFlagBit bit;
  } boxes[] = {{&waterBox_, "CheckBox11", "Water Enabled", kFlagWater},
               {&skyBox_, "CheckBox12", "Sky Enabled", kFlagSky},
               {&outdoorBox_, "CheckBox13", "Outdoor Enabled", kFlagOutdoor},
               {&quicksandBox_, "CheckBox14", "QuickSand Enabled", kFlagQuicksand}};
  for (const auto& b : boxes) {
    *b.box = Check(b.name, b.caption, flags);
    flagsLayout->addWidget(*b.box);
    connect(*b.box, &QCheckBox::clicked, this,
            [this, bit = b.bit](bool on) { report(session_.SetRoomFlag(bit, on)); });
  }
  flagsLayout->addWidget(Label("Label8", "TRC Weather:", flags));
  const char* weather[3][2] = {
      {"RadioButton9", "Normal"}, {"RadioButton10", "Raining"}, {"RadioButton11", "Snowing"}};
  for (int w = 0; w < 3; ++w) {
    weatherButtons_[w] = new QRadioButton(weather[w][1], flags);
    weatherButtons_[w]->setObjectName(weather[w][0]);
    flagsLayout->addWidget(weatherButtons_[w]);
    connect(weatherButtons_[w], &QRadioButton::clicked, this,
            [this, w] { report(session_.SetWeatherValue(static_cast<uint16_t>(w))); });
  }
  weatherButtons_[0]->setChecked(true);
  layout->addWidget(flags);
  return page;
}

QWidget* MainWindow::buildItemsTab() {
  auto* page = new QWidget;
  page->setObjectName("TabSheet2");
  auto* layout = new QHBoxLayout(page);

  // The item list with the two trigger searches right under it, where they can be clicked.
  auto* listGroup = new QGroupBox("Items in Level", page);
  auto* listLayout = new QVBoxLayout(listGroup);
  itemList_ = List("ListBox2", listGroup);
  Hint(itemList_, "double click for get the room where is placed");
  listLayout->addWidget(itemList_);
  auto* searches = new QHBoxLayout;
  auto* findFirst = Speed("SpeedButton2", "Find Where is\nTriggered", listGroup);
  Hint(findFirst, "Search where this item is first triggered");
  auto* findAgain = Speed("SpeedButton3", "Find Where is\nTriggered Next", listGroup);
  Hint(findAgain, "Find again where else this item is triggered");
  searches->addWidget(findFirst);
  searches->addWidget(findAgain);
  listLayout->addLayout(searches);
  listGroup->setMinimumWidth(220);
  layout->addWidget(listGroup, 1);
  connect(itemList_, &QListWidget::currentRowChanged, this, &MainWindow::itemClicked);
  connect(itemList_, &QListWidget::itemDoubleClicked, this, &MainWindow::itemDoubleClicked);

  // Identity column.
  auto* idColumn = new QVBoxLayout;
  itemLabel1_ = Label("Label1", "Room:", page);
  Hint(itemLabel1_, "Room where is placed");
  itemLabel2_ = Label("Label2", "Obj.ID:", page);
  Hint(itemLabel2_, "Movable Object Id");
  ocbLabel_ = Label("Label3", "OCB:", page);
  Hint(ocbLabel_, "Object code bit");
  itemFlagLabel_ = Label("Label4", "Flag:", page);
  Hint(itemFlagLabel_, "Activation Flags, clear body, invisible");
  for (QLabel* l : {itemLabel1_, itemLabel2_, ocbLabel_, itemFlagLabel_}) idColumn->addWidget(l);
  movableBox_ = new QComboBox(page);
  movableBox_->setObjectName("ComboBox1");
  Hint(movableBox_, "Movables avalables into this level");
  auto* findNext = Speed("SpeedButton1", "Find Next", page);
  Hint(findNext, "Find where else this movable is placed");
  idColumn->addLayout(Row(movableBox_, findNext));
  itemIdSpin_ = Spin("SpinEdit1", 0, 65535, page);
  auto* changeId = Button("Button2", "Change ID", page);
  idColumn->addLayout(Row(itemIdSpin_, changeId));
  ocbSpin_ = Spin("SpinEdit2", -32768, 65535, page);
  auto* changeOcb = Button("Button3", "Change OCB", page);
  idColumn->addLayout(Row(ocbSpin_, changeOcb));
  itemRoomSpin_ = Spin("SpinEdit9", 0, 65535, page);
  auto* changeRoom = Button("Button13", "Change -R-", page);
  idColumn->addLayout(Row(itemRoomSpin_, changeRoom));
  itemLightSpin_ = Spin("SpinEdit12", -1, 65535, page);
  itemLightSpin_->setValue(-1);
  Hint(itemLightSpin_, "-1 mean default ambien room ligh");
  auto* changeLight = Button("Button16", "Change -W-", page);
  idColumn->addLayout(Row(itemLightSpin_, changeLight));
  idColumn->addStretch();
  layout->addLayout(idColumn);

  // Position column.
  auto* posColumn = new QVBoxLayout;
  const PositionEditor position =
      MakePositionEditor("Items Position", {"SpinEdit7", "SpinEdit4", "SpinEdit8"},
                         {"Button11", "Button5", "Button12"}, "CheckBox2", kPanelLimit, page);
  itemXSpin_ = position.x;
  itemYSpin_ = position.y;
  itemZSpin_ = position.z;
  itemAuto_ = position.autoBox;
  auto* changeX = position.changeX;
  auto* changeY = position.changeY;
  auto* changeZ = position.changeZ;
  posColumn->addWidget(position.box);
  angleLabel_ = Label("Label19", "Angle:", page);
  lightLabel_ = Label("Label9", "Light_1:", page);
  posColumn->addWidget(angleLabel_);
  posColumn->addWidget(lightLabel_);
  auto* buttons = new QHBoxLayout;
  auto* rotate = Button("Button4", "Rotate", page);
  auto* duplicate = Button("Button6", "Duplicate", page);
  auto* create = Button("Button18", "Create", page);
  for (auto* b : {rotate, duplicate, create}) buttons->addWidget(b);
  posColumn->addLayout(buttons);
  posColumn->addStretch();
  layout->addLayout(posColumn);

  // Flags and the trigger searches by criteria.
  auto* rightColumn = new QVBoxLayout;
  auto* activation = new QGroupBox("Activation Flag", page);
  Hint(activation, "Activation Bits Flags");
  auto* actLayout = new QHBoxLayout(activation);
  const char* names[5] = {"SpeedButton21", "SpeedButton22", "SpeedButton23", "SpeedButton24",
                          "SpeedButton25"};
  for (int b = 0; b < 5; ++b) {
    activationButtons_[b] = Speed(names[b], QByteArray::number(b + 1).constData(), activation);
    activationButtons_[b]->setCheckable(true);
    actLayout->addWidget(activationButtons_[b]);
  }
  clearBodyButton_ = Speed("SpeedButton96", "C", activation);
  Hint(clearBodyButton_, "Clear Body");
  invisibleButton_ = Speed("SpeedButton97", "I", activation);
  Hint(invisibleButton_, "Invisible");
  for (auto* b : {clearBodyButton_, invisibleButton_}) {
    b->setCheckable(true);
    actLayout->addWidget(b);
  }
  rightColumn->addWidget(activation);

  auto* find = new QGroupBox("Find for Commands", page);
  auto* findLayout = new QVBoxLayout(find);
  triggerTypeBox_ = new QComboBox(find);
  triggerTypeBox_->setObjectName("ComboBox2");
  Hint(triggerTypeBox_, "Select trigger type you want to search");
  triggerTypeBox_->addItems({"ANY", "DO WITH ACTIVATE", "LARA ON GROUND DO ACTIVATE",
                             "SWITCH IS ON", "KEY IS ON", "ITEM IS PICKED UP", "ITEM AT SECTOR",
                             "LARA ON GROUND DO DEACTIVATE", "COMBAT MODE", "TRAPDOOR",
                             "DO WITH DEACTIVATE", "HEAVY SWITCH", "ITEM AT SECTOR DO DEACTIVATE",
                             "MOKEY SWING"});
  commandBox_ = new QComboBox(find);
  commandBox_->setObjectName("ComboBox3");
  Hint(commandBox_, "Select trigger command you want to search");
  commandBox_->addItems({"ANY", "ITEM", "SWITCH_CAMERA", "UNDERWATER_FLOW", "ALTERNATE_ON",
                         "ALTERNATE_FLAG", "ALTERNATE_OFF", "LOK_AT_ITEM", "END LEVEL",
                         "PLAY_SOUNDTRACK", "EFFECT", "SECRET_FOUND", "BODY_BAG", "FLYBY_CAMERA",
                         "CUTSCENE", ""});
  findLayout->addWidget(triggerTypeBox_);
  findLayout->addWidget(commandBox_);
  auto* criteriaFirst = Speed("SpeedButton4", "Find", find);
  Hint(criteriaFirst, "Do first search for current criteria");
  auto* criteriaNext = Speed("SpeedButton5", "Find Next", find);
  Hint(criteriaNext, "Do Next search for current criteria");
  findLayout->addLayout(Row(criteriaFirst, criteriaNext));
  rightColumn->addWidget(find);
  rightColumn->addStretch();
  layout->addLayout(rightColumn);

  // The trigger searches need the decoded floor data; they wait disabled until a level has it.
  for (QToolButton* b : {findFirst, findAgain, criteriaFirst, criteriaNext}) {
    b->setEnabled(false);
    searchButtons_.push_back(b);
  }
  connect(findFirst, &QToolButton::clicked, this,
          [this] { showSearchHit(session_.FindItemTrigger(true)); });
  connect(findAgain, &QToolButton::clicked, this,
          [this] { showSearchHit(session_.FindItemTrigger(false)); });
  connect(criteriaFirst, &QToolButton::clicked, this, [this] {
    showSearchHit(session_.FindTriggerByCriteria(triggerTypeBox_->currentIndex(),
                                                 commandBox_->currentIndex(), true));
  });
  connect(criteriaNext, &QToolButton::clicked, this, [this] {
    showSearchHit(session_.FindTriggerByCriteria(triggerTypeBox_->currentIndex(),
                                                 commandBox_->currentIndex(), false));
  });

  connect(movableBox_, &QComboBox::activated, this, [this] { findPlacement(-1); });
  connect(findNext, &QToolButton::clicked, this,
          [this] { findPlacement(itemList_->currentRow()); });
  connect(changeId, &QPushButton::clicked, this,
          [this] { report(session_.ChangeItemId(itemIdSpin_->value())); });
  connect(changeOcb, &QPushButton::clicked, this, [this] {
    const EditResult r = session_.ChangeItemOcb(ocbSpin_->value());
    // Right after the change the stored word is shown unsigned.
    if (r.done) ocbLabel_->setText(S(OcbStoredText(session_.level(), session_.selected_item())));
    report(r);
  });
  connect(changeRoom, &QPushButton::clicked, this,
          [this] { report(session_.ChangeItemRoom(itemRoomSpin_->value())); });
  connect(changeLight, &QPushButton::clicked, this,
          [this] { report(session_.ChangeItemLight(itemLightSpin_->value())); });
  connect(changeX, &QPushButton::clicked, this,
          [this] { report(session_.SetItemX(itemXSpin_->value())); });
  connect(changeY, &QPushButton::clicked, this,
          [this] { report(session_.SetItemY(itemYSpin_->value())); });
  connect(changeZ, &QPushButton::clicked, this,
          [this] { report(session_.SetItemZ(itemZSpin_->value())); });
  connect(itemXSpin_, &QSpinBox::valueChanged, this, [this](int v) {
    if (itemAuto_->isChecked()) report(session_.SetItemX(v));
  });
  connect(itemYSpin_, &QSpinBox::valueChanged, this, [this](int v) {
    if (itemAuto_->isChecked()) report(session_.SetItemY(v));
  });
  connect(itemZSpin_, &QSpinBox::valueChanged, this, [this](int v) {
    if (itemAuto_->isChecked()) report(session_.SetItemZ(v));
  });
  connect(rotate, &QPushButton::clicked, this, [this] { report(session_.RotateItem()); });
  connect(duplicate, &QPushButton::clicked, this, &MainWindow::duplicateItem);
  connect(create, &QPushButton::clicked, this, [this] {
    session_.BeginCreate();
    createDialog_->show();
    createDialog_->raise();
  });
  return page;
}

QWidget* MainWindow::buildFloorDataTab() {
  auto* page = new QWidget;
  page->setObjectName("TabSheet3");
  auto* layout = new QHBoxLayout(page);
  auto* raw = new QGroupBox("Raw floor data", page);
  auto* rawLayout = new QVBoxLayout(raw);
  rawFloorData_ = new QPlainTextEdit(raw);
  rawFloorData_->setObjectName("Memo3");
  rawFloorData_->setReadOnly(true);
  Hint(rawFloorData_, "Undetailed Unparsed info for current trigger");
  rawLayout->addWidget(rawFloorData_);
  auto* details = new QGroupBox("Trigger Details", page);
  auto* detailsLayout = new QVBoxLayout(details);
  triggerDetails_ = new QPlainTextEdit(details);
  triggerDetails_->setObjectName("Memo2");
  triggerDetails_->setReadOnly(true);
  Hint(triggerDetails_, "Detailed parsed info for current trigger");
  detailsLayout->addWidget(triggerDetails_);
  // The trigger lines line up their colons with spaces, so they are shown in a fixed font.
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  rawFloorData_->setFont(fixed);
  triggerDetails_->setFont(fixed);
  layout->addWidget(raw, 1);
  layout->addWidget(details, 2);
  return page;
}

QWidget* MainWindow::buildStaticsTab() {
  auto* page = new QWidget;
  page->setObjectName("TabSheet4");
  auto* layout = new QHBoxLayout(page);

  auto* listGroup = new QGroupBox("Static Meshes in Room", page);
  auto* listLayout = new QVBoxLayout(listGroup);
  staticList_ = List("ListBox4", listGroup);
  listLayout->addWidget(staticList_);
  // The item trigger searches, also reachable from here (they search for the selected item).
  auto* searches = new QHBoxLayout;
  auto* findFirst = Speed("SpeedButton7", "Find Where is\nTriggered", listGroup);
  Hint(findFirst, "Search where this item is first triggered");
  auto* findAgain = Speed("SpeedButton8", "Find Where is\nTriggered Next", listGroup);
  Hint(findAgain, "Find again where else this item is triggered");
  for (QToolButton* b : {findFirst, findAgain}) {
    b->setEnabled(false);
    searchButtons_.push_back(b);
  }
  connect(findFirst, &QToolButton::clicked, this,
          [this] { showSearchHit(session_.FindItemTrigger(true)); });
  connect(findAgain, &QToolButton::clicked, this,
          [this] { showSearchHit(session_.FindItemTrigger(false)); });
  searches->addWidget(findFirst);
  searches->addWidget(findAgain);
  listLayout->addLayout(searches);
  layout->addWidget(listGroup, 1);
  connect(staticList_, &QListWidget::currentRowChanged, this, &MainWindow::staticClicked);

  auto* middle = new QVBoxLayout;
  meshIdSpin_ = Spin("SpinEdit5", 0, 65535, page);
  auto* changeId = Button("Button7", "Change ID", page);
  middle->addLayout(Row(meshIdSpin_, changeId));
  const PositionEditor position =
      MakePositionEditor("Position", {"SpinEdit10", "SpinEdit6", "SpinEdit11"},
                         {"Button15", "Button8", "Button14"}, "CheckBox3", kPanelLimit, page);
  staticXSpin_ = position.x;
  staticYSpin_ = position.y;
  staticZSpin_ = position.z;
  staticAuto_ = position.autoBox;
  auto* changeX = position.changeX;
  auto* changeY = position.changeY;
  auto* changeZ = position.changeZ;
  middle->addWidget(position.box);
  middle->addStretch();
  layout->addLayout(middle);

  auto* right = new QVBoxLayout;
  staticAngleLabel_ = Label("Label18", "Angle:", page);
  right->addWidget(staticAngleLabel_);
  auto* rotate = Button("Button9", "Rotate", page);
  auto* duplicate = Button("Button10", "Duplicate", page);
  right->addLayout(Row(rotate, duplicate));
  auto* lights = new QGroupBox("Lights", page);
  auto* lightsLayout = new QGridLayout(lights);
  lightsLayout->addWidget(Label("Label16", "Light 1", lights), 0, 0);
  lightsLayout->addWidget(Label("Label17", "Light 2", lights), 0, 1);
  light1Spin_ = Spin("SpinEdit13", 0, 65535, lights);
  light2Spin_ = Spin("SpinEdit14", 0, 65535, lights);
  lightsLayout->addWidget(light1Spin_, 1, 0);
  lightsLayout->addWidget(light2Spin_, 1, 1);
  auto* changeLights = Button("Button17", "Change L1,L2", lights);
  lightsLayout->addWidget(changeLights, 2, 0, 1, 2);
  right->addWidget(lights);
  right->addStretch();
  layout->addLayout(right);

  connect(changeId, &QPushButton::clicked, this,
          [this] { report(session_.ChangeStaticId(meshIdSpin_->value())); });
  connect(changeX, &QPushButton::clicked, this,
          [this] { report(session_.SetStaticX(staticXSpin_->value())); });
  connect(changeY, &QPushButton::clicked, this,
          [this] { report(session_.SetStaticY(staticYSpin_->value())); });
  connect(changeZ, &QPushButton::clicked, this,
          [this] { report(session_.SetStaticZ(staticZSpin_->value())); });
  connect(staticXSpin_, &QSpinBox::valueChanged, this, [this](int v) {
    if (staticAuto_->isChecked()) report(session_.SetStaticX(v));
  });
  connect(staticYSpin_, &QSpinBox::valueChanged, this, [this](int v) {
    if (staticAuto_->isChecked()) report(session_.SetStaticY(v));
  });
  connect(staticZSpin_, &QSpinBox::valueChanged, this, [this](int v) {
    if (staticAuto_->isChecked()) report(session_.SetStaticZ(v));
  });
  // With "-Auto-" a light spin stores the lights it shows (not the position).
  for (QSpinBox* spin : {light1Spin_, light2Spin_})
    connect(spin, &QSpinBox::valueChanged, this, [this] {
      if (staticAuto_->isChecked())
        report(session_.ChangeStaticLights(light1Spin_->value(), light2Spin_->value()));
    });
  connect(rotate, &QPushButton::clicked, this, [this] { report(session_.RotateStatic()); });
  connect(duplicate, &QPushButton::clicked, this, [this] { report(session_.DuplicateStatic()); });
  connect(changeLights, &QPushButton::clicked, this, [this] {
    report(session_.ChangeStaticLights(light1Spin_->value(), light2Spin_->value()));
  });
  return page;
}

QWidget* MainWindow::buildExperimentsTab() {
  auto* page = new QWidget;
  page->setObjectName("TabSheet8");
  auto* layout = new QVBoxLayout(page);
  auto* inner = new QTabWidget(page);
  inner->setObjectName("PageControl2");
  auto* unknowns = new QWidget(inner);
  unknowns->setObjectName("TabSheet9");
  auto* uLayout = new QHBoxLayout(unknowns);
  trcValueList_ = List("ListBox3", unknowns);
  uLayout->addWidget(trcValueList_, 1);
  auto* editColumn = new QVBoxLayout;
  trcValueSpin_ =
      Spin("SpinEdit3", std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), unknowns);
  auto* edit = Speed("SpeedButton6", "<<EDIT>>", unknowns);
  Hint(edit, "Find where else this movable is placed");
  editColumn->addWidget(trcValueSpin_);
  editColumn->addWidget(edit);
  editColumn->addStretch();
  uLayout->addLayout(editColumn);
  inner->addTab(unknowns, "TRC_Unknowns/Rooms");
  auto* other = new QWidget(inner);
  other->setObjectName("TabSheet10");
  inner->addTab(other, "Other_Unknowns");
  layout->addWidget(inner);

  connect(trcValueList_, &QListWidget::currentRowChanged, this, [this](int line) {
    if (!session_.HasLevel() || line < 0) return;
    const troom& room = session_.level().rooms[session_.selected_room()];
    SetSpin(trcValueSpin_, static_cast<int32_t>(TrcValue(room, line)));
  });
  connect(edit, &QToolButton::clicked, this, [this] {
    const EditResult r = session_.SetTrcValue(trcValueList_->currentRow(), trcValueSpin_->value());
    if (r.done) {
      // The list is written again and its selection is gone.
      trcValueList_->clear();
      showRoomValues();
    }
    report(r);
  });
  return page;
}

// ---- Files ----

bool MainWindow::openFile(const QString& path) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  pages_->setCurrentIndex(0);
  gauge_->setValue(0);
  std::string why;
  const bool ok = session_.Open(QDir::toNativeSeparators(path).toStdString(), &why);
  gauge_->setValue(0);
  QApplication::restoreOverrideCursor();
  if (!ok) message(QString("Cannot open %1:\n%2").arg(path, S(why)));
  return ok;
}

bool MainWindow::saveFile() {
  if (session_.file_path().empty()) return false;
  return saveFileAs(S(session_.file_path()));
}

bool MainWindow::saveFileAs(const QString& path) {
  if (!session_.level().IsLoaded()) return false;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  pages_->setCurrentIndex(0);
  std::string why;
  const bool ok = session_.SaveAs(path.toStdString(), &why);
  gauge_->setValue(0);
  QApplication::restoreOverrideCursor();
  if (!ok) message(QString("Cannot save %1:\n%2").arg(path, S(why)));
  updateTitle();
  return ok;
}

void MainWindow::openWithDialog() {
  if (!maybeSave()) return;
  const QString path = QFileDialog::getOpenFileName(this, "Open", QString(), kFileFilter);
  if (!path.isEmpty()) openFile(path);
}

void MainWindow::saveAsWithDialog() {
  if (!session_.level().IsLoaded()) return;
  const QString path =
      QFileDialog::getSaveFileName(this, "Save As", S(session_.file_path()), kFileFilter);
  if (!path.isEmpty()) saveFileAs(path);
}

bool MainWindow::maybeSave() {
  if (!session_.IsModified()) return true;
  switch (savePrompt_()) {
    case QMessageBox::Save:
      return saveFile();
    case QMessageBox::Discard:
      return true;
    default:
      return false;
  }
}

void MainWindow::closeEvent(QCloseEvent* e) {
  if (maybeSave()) {
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
  return maybeSave() && openFile(urls.first().toLocalFile());
}

void MainWindow::showAbout() {
  QMessageBox box(this);
  box.setObjectName("AboutBox");
  box.setWindowTitle("About Qavel");
  box.setIconPixmap(windowIcon().pixmap(48, 48));
  box.setText("Qavel 1.1, Revision 0");
  box.setInformativeText(
      "Inspector and editor of Tomb Raider level files of every engine generation, 2026.");
  box.exec();
}

// ---- Messages, hints and the title ----

bool MainWindow::event(QEvent* e) {
  if (e->type() == QEvent::StatusTip) {
    // Hints go to the first panel of the status bar (the part after a "|" when there is one).
    const QString tip = static_cast<QStatusTipEvent*>(e)->tip();
    statusHint_->setText(tip.section('|', -1));
    return true;
  }
  return QMainWindow::event(e);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
  if (watched == sectorMap_ && e->type() == QEvent::MouseButtonPress) {
    const auto* mouse = static_cast<QMouseEvent*>(e);
    const QPoint at = mouse->position().toPoint();
    if (mouse->button() == Qt::LeftButton && session_.HasLevel() &&
        session_.ClickSectorMap(at.x(), at.y())) {
      refreshSectorMap();
      statusSector_->setText(S(session_.SectorStatus()));
      showSector();
      pages_->setCurrentWidget(pages_->findChild<QWidget*>("TabSheet3"));
    }
    return true;
  }
  return QMainWindow::eventFilter(watched, e);
}

void MainWindow::message(const QString& text) {
  messageSink_(text);
}

void MainWindow::report(const EditResult& result) {
  if (!result.message.empty()) message(S(result.message));
}

void MainWindow::updateTitle() {
  if (session_.file_path().empty()) return;
  setWindowTitle(S(session_.file_path()) + "[*]");
  setWindowModified(session_.IsModified());
}

void MainWindow::toggleGridBox(bool on) {
  sectorMapBox_->setVisible(on);
}

void MainWindow::loadViewTextures() {
  // The room picture is looked for in the working folder first, as users who keep their own
  // texture1.jpg beside their levels expect; the copy shipped beside the program serves when
  // there is none, so the program finds it wherever it is started from.
  const QString app_dir = QCoreApplication::applicationDirPath() + "/";
  QString room_picture = "texture1.jpg";
  if (!QFileInfo::exists(room_picture) && QFileInfo::exists(app_dir + room_picture))
    room_picture = app_dir + room_picture;
  const std::string why = LoadViewTextures(textureStore_, room_picture.toStdString(),
                                           (app_dir + "colored.bmp").toStdString());
  // Told once the window runs, like every start-up message, so start-up goes on.
  if (!why.empty())
    QMetaObject::invokeMethod(
        this, [this, why] { message(S(why)); }, Qt::QueuedConnection);
}

void MainWindow::runExchange(const QString& caption, const QString& filter, bool save,
                             const std::function<bool(const std::string&, std::string*)>& command) {
  if (!session_.HasLevel()) return;
  const QString path = fileChooser_(caption, filter, save);
  if (path.isEmpty()) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  std::string text;
  command(QDir::toNativeSeparators(path).toStdString(), &text);
  QApplication::restoreOverrideCursor();
  if (!text.empty()) message(S(text));
}

void MainWindow::setViewBackground(unsigned colour) {
  // Window colour values keep red in the low byte.
  QPalette p = viewPanel_->palette();
  p.setColor(QPalette::Window, QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
  viewPanel_->setPalette(p);
  QPalette text = viewNote_->palette();
  text.setColor(QPalette::WindowText, colour == 0xFFFFFF ? Qt::black : Qt::white);
  viewNote_->setPalette(text);
}

// ---- Showing the session ----

void MainWindow::onOpened() {
  updateTitle();
  SyncList(roomList_, session_.RoomTexts());
  {
    QSignalBlocker block(movableBox_);
    movableBox_->clear();
    for (const auto& n : session_.names().movable_list) movableBox_->addItem(S(n));
    movableBox_->setCurrentIndex(movableBox_->count() > 0 ? 0 : -1);
  }
  createDialog_->SetMovables(session_.names().movable_list);
  fillItemList();
  // The atlas is built once: the store takes its pages, the Textures page its pieces.
  const QImage atlas = BuildAtlas(session_.level());
  AddLevelPages(textureStore_, atlas);
  textureTab_->ShowLevel(session_.level(), atlas);
  for (QAction* a : exchangeActions_) a->setEnabled(session_.HasLevel());
  for (QToolButton* b : searchButtons_) b->setEnabled(session_.HasFloorData());
  rawFloorData_->clear();
  triggerDetails_->clear();
  shownRoom_ = -1;
  showRoom();
  showItem();
}

void MainWindow::onChanged(Change what, int) {
  switch (what) {
    case Change::kItem:
    case Change::kItems:
      fillItemList();
      showRoom();
      showItem();
      break;
    case Change::kStatic:
    case Change::kStatics:
    case Change::kRoom:
    case Change::kWeather:
      showRoom();
      break;
    case Change::kLevel:
      // An import (or its undo) may have changed any room, so every room panel is redrawn.
      SyncList(roomList_, session_.RoomTexts());
      fillItemList();
      if (session_.selected_column() < 0) {
        rawFloorData_->clear();
        triggerDetails_->clear();
      }
      showRoom();
      showItem();
      break;
  }
}

void MainWindow::fillItemList() {
  SyncList(itemList_, session_.item_texts());
  SetRow(itemList_, session_.selected_item());
}

void MainWindow::showRoom() {
  if (!session_.HasLevel()) return;
  const int r = session_.selected_room();
  SetRow(roomList_, r);
  if (r != shownRoom_) {
    // A newly selected room starts with the automatic position edits switched off.
    shownRoom_ = r;
    itemAuto_->setChecked(false);
    staticAuto_->setChecked(false);
    statusSector_->clear();
  }
  const troom& room = session_.level().rooms[r];
  const RoomInfoTexts t = ShowRoomInfo(room);
  widthLabel_->setText(S(t.width));
  lengthLabel_->setText(S(t.length));
  positionLabel_->setText(S(t.position));
  heightLabel_->setText(S(t.height));
  flagLabel_->setText(S(t.flag));
  alternateLabel_->setText(S(t.alternate_room));
  waterLabel_->setText(S(t.water_scheme));
  static_cast<RoomShape*>(roomShape_)->SetBox(t.shape_width, t.shape_height);
  showRoomValues();
  showStatics();
  refreshSectorMap();
}

void MainWindow::refreshSectorMap() {
  const QImage map = session_.SectorMapImage();
  if (map.isNull()) return;
  sectorMap_->setPixmap(QPixmap::fromImage(map));
  sectorMap_->setGeometry(4, 9, map.width(), map.height());
  sectorMapBox_->resize(map.width() + 7, map.height() + 12);
}

void MainWindow::showSector() {
  const auto texts = session_.DecodeSelectedSector();
  if (!texts) return;
  auto join = [](const std::vector<std::string>& lines) {
    QStringList out;
    for (const auto& l : lines) out << S(l);
    return out.join('\n');
  };
  rawFloorData_->setPlainText(join(texts->raw));
  triggerDetails_->setPlainText(join(texts->details));
}

void MainWindow::showSearchHit(const EditResult& result) {
  if (result.done) {
    showRoom();
    refreshSectorMap();
    statusSector_->setText(S(session_.SectorStatus()));
    showSector();
  }
  report(result);
}

void MainWindow::showRoomValues() {
  const troom& room = session_.level().rooms[session_.selected_room()];
  const int line = trcValueList_->currentRow();
  SyncList(trcValueList_, TrcValueLines(room));
  SetRow(trcValueList_, line);
  const std::pair<QCheckBox*, RoomFlagBit> boxes[] = {{waterBox_, kFlagWater},
                                                      {skyBox_, kFlagSky},
                                                      {outdoorBox_, kFlagOutdoor},
                                                      {quicksandBox_, kFlagQuicksand}};
  for (auto [box, bit] : boxes) {
    QSignalBlocker block(box);
    box->setChecked(room.flags & bit);
  }
  // Other weather values leave the buttons as they were.
  if (const uint16_t w = Weather(session_.level()); w <= 2) weatherButtons_[w]->setChecked(true);
}

void MainWindow::showStatics() {
  const troom& room = session_.level().rooms[session_.selected_room()];
  SyncList(staticList_, StaticListTexts(room));
  SetRow(staticList_, session_.selected_static());
  const auto info = ShowStaticInfo(room, session_.selected_static());
  if (!info) return;
  SetSpin(meshIdSpin_, info->mesh_id);
  SetSpin(staticYSpin_, info->y);
  SetSpin(staticXSpin_, info->x);
  SetSpin(staticZSpin_, info->z);
  SetSpin(light1Spin_, info->light1);
  SetSpin(light2Spin_, info->light2);
  staticAngleLabel_->setText(S(info->angle));
}

void MainWindow::showItem() {
  if (!session_.HasLevel()) return;
  const auto info = ShowItemInfo(session_.level(), session_.selected_item());
  if (!info) return;
  SetSpin(itemIdSpin_, info->object_id);
  SetSpin(ocbSpin_, info->ocb);
  SetSpin(itemYSpin_, info->y);
  SetSpin(itemXSpin_, info->x);
  SetSpin(itemZSpin_, info->z);
  SetSpin(itemRoomSpin_, info->room);
  itemLabel2_->setText(S(info->label2));
  itemLabel1_->setText(S(info->label1));
  ocbLabel_->setText(S(info->label3));
  lightLabel_->setText(S(info->label9));
  angleLabel_->setText(S(info->label19));
  itemFlagLabel_->setText(S(info->label4));
  for (int b = 0; b < 5; ++b) activationButtons_[b]->setChecked(info->activation[b]);
  clearBodyButton_->setChecked(info->clear_body);
  invisibleButton_->setChecked(info->invisible);
}

// ---- Panel handlers ----

void MainWindow::roomClicked(int row) {
  if (!session_.HasLevel() || row < 0) return;
  session_.SelectRoom(row);
  showRoom();
}

void MainWindow::itemClicked(int row) {
  if (!session_.HasLevel() || row < 0) return;
  session_.SelectItem(row);
  showItem();
  const int movable = session_.MovableOfSelectedItem();
  if (movable >= 0 && movable < movableBox_->count()) {
    QSignalBlocker block(movableBox_);
    movableBox_->setCurrentIndex(movable);
  }
}

void MainWindow::itemDoubleClicked() {
  if (!session_.HasLevel()) return;
  const int room = session_.RoomOfEntry(session_.selected_item());
  if (room < 0 || room >= session_.level().num_rooms()) return;
  session_.SelectRoom(room);
  showRoom();
}

void MainWindow::staticClicked(int row) {
  if (!session_.HasLevel() || row < 0) return;
  session_.SelectStatic(row);
  showStatics();
}

void MainWindow::findPlacement(int after) {
  if (!session_.HasLevel()) return;
  const EditResult r = session_.FindNextPlacement(movableBox_->currentIndex(), after);
  if (r.done) {
    SetRow(itemList_, session_.selected_item());
    itemClicked(session_.selected_item());
    showRoom();
  }
  report(r);
}

void MainWindow::duplicateItem() {
  report(session_.DuplicateItem(createDialog_->Choice()));
}

}  // namespace qavel
