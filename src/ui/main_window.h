#pragma once
// MainWindow: the program's window; binds the panels and menus to the editor session.

#include <QMainWindow>
#include <QMessageBox>
#include <QUrl>
#include <functional>

#include "editor/editor_session.h"
#include "textures/texture_store.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QToolButton;
class QFrame;

namespace qavel {

class CreateItemDialog;
class TextureTab;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  EditorSession& session() { return session_; }
  CreateItemDialog* createDialog() const { return createDialog_; }

  // Where messages go (a modal box by default; tests collect them).
  void setMessageSink(std::function<void(const QString&)> sink) { messageSink_ = std::move(sink); }
  // How the user is asked before unsaved edits would be lost.
  void setSavePrompt(std::function<QMessageBox::StandardButton()> prompt) {
    savePrompt_ = std::move(prompt);
  }

  // How a file name is asked for ("save" for the export commands); an empty answer cancels.
  // A file dialog by default; tests answer directly.
  using FileChooser =
      std::function<QString(const QString& caption, const QString& filter, bool save)>;
  void setFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }

  const TextureStore& textureStore() const { return textureStore_; }

  // Says why there is no 3D view; empty when OpenGL 3.3 is there.
  static QString CheckOpenGl();

 public slots:
  bool openFile(const QString& path);
  bool saveFile();
  bool saveFileAs(const QString& path);
  // A file dropped on the window: opened after unsaved edits were dealt with.
  bool openDropped(const QList<QUrl>& urls);

 protected:
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  // Building the window.
  void buildMenus();
  void buildToolBar();
  QWidget* buildViewPanel();
  QWidget* buildRoomsTab();
  QWidget* buildItemsTab();
  QWidget* buildFloorDataTab();
  QWidget* buildStaticsTab();
  QWidget* buildExperimentsTab();

  // Commands of the menus.
  void openWithDialog();
  void saveAsWithDialog();
  void showAbout();
  bool maybeSave();
  void toggleGridBox(bool on);
  void setViewBackground(unsigned window_colour);
  void loadViewTextures();
  // Asks for a file and runs one exchange command on it; its message is shown either way.
  void runExchange(const QString& caption, const QString& filter, bool save,
                   const std::function<bool(const std::string&, std::string*)>& command);

  // Showing the session.
  void onOpened();
  void onChanged(Change what, int index);
  void fillItemList();
  void showRoom();
  void showRoomValues();
  void showStatics();
  void showItem();
  void updateTitle();
  void report(const EditResult& result);
  void message(const QString& text);

  // Panel handlers.
  void roomClicked(int row);
  void itemClicked(int row);
  void itemDoubleClicked();
  void staticClicked(int row);
  void findPlacement(int after);
  void refreshSectorMap();
  void showSector();
  void showSearchHit(const EditResult& result);
  void duplicateItem();

  EditorSession session_;
  CreateItemDialog* createDialog_ = nullptr;
  std::function<void(const QString&)> messageSink_;
  std::function<QMessageBox::StandardButton()> savePrompt_;
  FileChooser fileChooser_;
  TextureStore textureStore_;
  std::vector<QAction*> exchangeActions_;  // usable only while a level is loaded
  int shownRoom_ = -1;

  QFrame* viewPanel_ = nullptr;
  QLabel* viewNote_ = nullptr;
  QGroupBox* sectorMapBox_ = nullptr;
  QLabel* sectorMap_ = nullptr;
  QTabWidget* pages_ = nullptr;
  QLabel* statusHint_ = nullptr;
  QLabel* statusSector_ = nullptr;
  QAction* texturedRoom_ = nullptr;
  QAction* standardRoomTool_ = nullptr;
  QAction* gridBox_ = nullptr;
  TextureTab* textureTab_ = nullptr;
  std::vector<QToolButton*> searchButtons_;

  // Rooms tab.
  QListWidget* roomList_ = nullptr;
  QLabel* heightLabel_ = nullptr;
  QLabel* positionLabel_ = nullptr;
  QLabel* lengthLabel_ = nullptr;
  QLabel* widthLabel_ = nullptr;
  QLabel* flagLabel_ = nullptr;
  QLabel* alternateLabel_ = nullptr;
  QLabel* waterLabel_ = nullptr;
  QFrame* roomShape_ = nullptr;
  QCheckBox* autoCentre_ = nullptr;
  QProgressBar* gauge_ = nullptr;
  QCheckBox* waterBox_ = nullptr;
  QCheckBox* skyBox_ = nullptr;
  QCheckBox* outdoorBox_ = nullptr;
  QCheckBox* quicksandBox_ = nullptr;
  QRadioButton* weatherButtons_[3] = {};

  // Items tab.
  QListWidget* itemList_ = nullptr;
  QLabel* itemLabel1_ = nullptr;
  QLabel* itemLabel2_ = nullptr;
  QLabel* ocbLabel_ = nullptr;
  QLabel* itemFlagLabel_ = nullptr;
  QLabel* angleLabel_ = nullptr;
  QLabel* lightLabel_ = nullptr;
  QComboBox* movableBox_ = nullptr;
  QSpinBox* itemIdSpin_ = nullptr;
  QSpinBox* ocbSpin_ = nullptr;
  QSpinBox* itemRoomSpin_ = nullptr;
  QSpinBox* itemLightSpin_ = nullptr;
  QSpinBox* itemXSpin_ = nullptr;
  QSpinBox* itemYSpin_ = nullptr;
  QSpinBox* itemZSpin_ = nullptr;
  QCheckBox* itemAuto_ = nullptr;
  QToolButton* activationButtons_[5] = {};
  QToolButton* clearBodyButton_ = nullptr;
  QToolButton* invisibleButton_ = nullptr;
  QComboBox* triggerTypeBox_ = nullptr;
  QComboBox* commandBox_ = nullptr;

  // Floor Data tab.
  QPlainTextEdit* rawFloorData_ = nullptr;
  QPlainTextEdit* triggerDetails_ = nullptr;

  // Static Meshes tab.
  QListWidget* staticList_ = nullptr;
  QSpinBox* meshIdSpin_ = nullptr;
  QSpinBox* staticXSpin_ = nullptr;
  QSpinBox* staticYSpin_ = nullptr;
  QSpinBox* staticZSpin_ = nullptr;
  QCheckBox* staticAuto_ = nullptr;
  QLabel* staticAngleLabel_ = nullptr;
  QSpinBox* light1Spin_ = nullptr;
  QSpinBox* light2Spin_ = nullptr;

  // Experiments page.
  QListWidget* trcValueList_ = nullptr;
  QSpinBox* trcValueSpin_ = nullptr;
};

}  // namespace qavel
