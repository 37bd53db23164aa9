#pragma once
// MainWindow: the program's frame: menus and toolbar (WindowActions), the view panel over the
// tabs of the panels, the status bar, and the file commands. Every panel is its own class fed
// the session; the window only lays them out and carries their messages to the user.

#include <QMainWindow>
#include <QMessageBox>
#include <QUrl>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "editor/editor_session.h"
#include "editor/problem_commands.h"
#include "textures/texture_store.h"
#include "ui/ui_support.h"

class QDockWidget;
class QKeyEvent;
class QLabel;
class QTabWidget;

namespace qavel {

class CreateItemDialog;
class ExperimentsPanel;
class FloorDataPanel;
class ItemsPanel;
class MainView;
class CompareDialog;
class ProblemsPanel;
class RoomsPanel;
class StaticsPanel;
class TextureTab;
class ViewPanel;
class WindowActions;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  EditorSession& session() { return session_; }
  CreateItemDialog* createDialog() const { return createDialog_; }
  ViewPanel* viewPanel() const { return viewPanel_; }
  // The 3D view; null when there is no OpenGL 3.3.
  MainView* mainView() const { return mainView_; }
  WindowActions& actions() const { return *actions_; }
  QTabWidget* pages() const { return pages_; }
  RoomsPanel* roomsPanel() const { return roomsPanel_; }
  TextureTab* textureTab() const { return textureTab_; }
  // The two panels of the status bar: 0 the hint, 1 the selected sector (or what was picked).
  void setStatusText(int panel, const QString& text);
  const TextureStore& textureStore() const { return textureStore_; }

  // Where messages go (a message box with the kind's icon by default; tests collect them).
  using MessageSink = std::function<void(MessageKind kind, const QString& text)>;
  void setMessageSink(MessageSink sink) { messageSink_ = std::move(sink); }
  // How the user is asked before unsaved edits would be lost.
  void setSavePrompt(std::function<QMessageBox::StandardButton()> prompt) {
    savePrompt_ = std::move(prompt);
  }
  // How the user is asked a yes-or-no question of the file commands (overwrite a file another
  // program changed, save a level with new errors, reload a changed file); true for yes. A
  // message box by default; tests answer directly.
  struct Question {
    QString text;
    QString yes;      // the text of the button that says yes ("Overwrite")
    QString details;  // shown below the question
    bool yes_by_default = false;
  };
  void setQuestion(std::function<bool(const Question&)> ask) { question_ = std::move(ask); }
  QDockWidget* problemsDock() const { return problemsDock_; }
  // "Compare With...": the differences from the open level to the file, in a dialog; false (and
  // a message) when the file cannot be compared. The dialog is null until the first compare.
  bool compareWith(const QString& path);
  CompareDialog* compareDialog() const { return compareDialog_; }

  // How a file name is asked for; an empty answer cancels. A file dialog by default, starting
  // in folder (the last one used); tests answer directly.
  struct FileRequest {
    QString caption;
    QString filter;
    bool save = false;
    QString folder;  // or a file in it, preselected
  };
  using FileChooser = std::function<QString(const FileRequest& request)>;
  void setFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }

  // The About box, made but not shown.
  std::unique_ptr<QMessageBox> makeAboutBox();
  // The box that asks a question of the file commands (Cancel unless the question says yes).
  std::unique_ptr<QMessageBox> makeQuestionBox(const Question& question);

  // Says why there is no 3D view; empty when OpenGL 3.3 is there.
  static QString CheckOpenGl();

 public slots:
  // Open, Save and Save As read or write on a worker thread: they return whether the work
  // started, the window stays responsive meanwhile (input that would edit, save or open again
  // waits, Cancel stops it), and fileTaskFinished() tells when it is over.
  bool openFile(const QString& path);
  bool saveFile();
  bool saveFileAs(const QString& path);
  // A file dropped on the window: opened after unsaved edits were dealt with.
  bool openDropped(const QList<QUrl>& urls);
  // Stops the running open or save; nothing changes (too late once the file is being replaced).
  void cancelFileTask();

 public:
  bool busy() const { return session_.document().busy(); }

 signals:
  // An open or save ended: ok when it succeeded (false when it failed or was cancelled).
  void fileTaskFinished(bool ok);

 private slots:
  void tellStartupNotes();

 protected:
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  void buildPages();
  void buildStatusBar();
  void connectActions();
  void connectSession();
  void buildView();
  void buildProblemsPanel();
  // Shift and an arrow key move the selected item; true when the key was taken.
  bool moveItemByKey(QObject* target, const QKeyEvent& key);

  void openWithDialog();
  void compareWithDialog();
  // Shows the page a click on a problem or a difference asked for.
  void showPage(ProblemPage page);
  void saveAsWithDialog();
  // Before unsaved edits would be lost: go on (nothing to save, or the user lets them go),
  // wait (a save runs; then runs when it has succeeded) or stop (the user cancelled).
  enum class SaveAnswer { kGoOn, kWait, kStop };
  SaveAnswer askToSave(std::function<void()> then);
  void finishFileTask(const FileOutcome& outcome);
  // The questions a save asks before it starts, in their order; false when the user said no (or
  // the file is read-only, which is said at once).
  bool confirmSave(const QString& path);
  // The opened file changed on disk: offers to open it again.
  void offerReload();
  // Blocks (or frees again) every input that would edit the level, save it or open another.
  void setBusy(bool busy);
  void runExchange(size_t index);
  void loadViewTextures();
  void rememberFolder(const QString& path);

  void updateTitle();
  void showCatalogNotes();
  void message(MessageKind kind, const QString& text);
  // A file that could not be opened or saved: the headline names it once, the reason follows.
  void fileError(const char* verb, const QString& path, const Result& result);

  EditorSession session_;
  std::unique_ptr<WindowActions> actions_;
  MessageSink messageSink_;
  std::function<QMessageBox::StandardButton()> savePrompt_;
  std::function<bool(const Question&)> question_;
  FileChooser fileChooser_;
  TextureStore textureStore_;
  QString lastFolder_;
  std::set<QString> toldNotes_;      // catalog notes are told once per window
  std::function<void()> afterSave_;  // what waits for the running save to succeed
  bool closeWhenDone_ = false;       // the window was closed while a file task ran
  QStringList startupNotes_;

  ViewPanel* viewPanel_ = nullptr;
  MainView* mainView_ = nullptr;
  QTabWidget* pages_ = nullptr;
  RoomsPanel* roomsPanel_ = nullptr;
  ItemsPanel* itemsPanel_ = nullptr;
  FloorDataPanel* floorDataPanel_ = nullptr;
  StaticsPanel* staticsPanel_ = nullptr;
  ExperimentsPanel* experimentsPanel_ = nullptr;
  TextureTab* textureTab_ = nullptr;
  CreateItemDialog* createDialog_ = nullptr;
  QDockWidget* problemsDock_ = nullptr;
  ProblemsPanel* problemsPanel_ = nullptr;
  CompareDialog* compareDialog_ = nullptr;
  QLabel* statusHint_ = nullptr;
  QLabel* statusSector_ = nullptr;
  QLabel* statusViewNote_ = nullptr;  // what the last build of the 3D view left out
  QLabel* statusCamera_ = nullptr;    // the 3D view's camera place and heading
};

}  // namespace qavel
