#pragma once
// LevelDocument: the open level with what is derived from it (inspect/level_bundle.h) and its
// problems, its file (and whether another program changed it), its undo stack, and the reading
// and writing of its file on a worker thread.

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <QUndoStack>
#include <string>
#include <vector>

#include "editor/file_stamp.h"
#include "editor/file_task.h"
#include "inspect/level_bundle.h"
#include "inspect/refusals.h"
#include "level/result.h"
#include "level/ttrlevel.h"

namespace qavel {

class EditCommand;

// How a file task ended.
struct FileOutcome {
  enum Kind { kOpen, kSave } kind = kOpen;
  std::string path;
  Result result;           // Ok, or why it failed
  bool cancelled = false;  // stopped by the user: nothing changed
};

class LevelDocument : public QObject {
  Q_OBJECT

 public:
  explicit LevelDocument(QObject* parent = nullptr);
  ~LevelDocument() override;

  // ---- Files, on the caller's thread ----
  // Reads the file into a fresh model and only then replaces the shown level; a failure leaves
  // the previous level as it was and says why.
  Result Open(const std::string& path);
  // Shows a level already in memory as if it had been opened from path.
  void Adopt(Ttrlevel level, const std::string& path);
  Result Save();  // to the opened file
  Result SaveAs(const std::string& path);
  void SetCatalogPath(std::string path) { catalog_path_ = std::move(path); }

  // ---- Files, on a worker thread ----
  // Open and SaveAs run while the caller's thread goes on; fileTaskDone() tells the end. While
  // one runs (busy()) no other starts, and the level must not be edited. false when busy.
  bool StartOpen(const std::string& path);
  bool StartSaveAs(const std::string& path);
  // Stops the running task: an open leaves the shown level as it was, a save leaves the file
  // as it was. false when it is too late (the file is being replaced; the save completes).
  bool CancelFileTask();
  bool busy() const { return task_.busy(); }

  // ---- The level and what is derived from it ----
  bool HasLevel() const { return HasRooms(level()); }
  const LevelBundle& bundle() const { return bundle_; }
  const Ttrlevel& level() const { return bundle_.level; }
  const MovableNames& names() const { return bundle_.names; }
  const FloorData& floor_data() const { return bundle_.floor_data; }
  const std::vector<titems_rec>& room_items() const { return bundle_.room_items; }
  const std::vector<std::string>& item_texts() const { return bundle_.item_texts; }
  // The level's problems, current after every edit.
  const std::vector<Problem>& problems() const { return bundle_.Problems(); }
  // The errors the level has that it did not have when it was opened, or when it was last saved
  // (the file has held them since).
  std::vector<Problem> NewErrors() const;
  const std::string& file_path() const { return file_path_; }
  bool IsModified() const { return !undo_stack_.isClean(); }
  QUndoStack& undo_stack() { return undo_stack_; }

  // ---- The file on disk ----
  // Whether path leads to the opened file.
  bool IsOpenedFile(const std::string& path) const;
  // Whether another program changed the opened file since it was opened or last saved here (its
  // size, time or identity differ). A file that is gone counts as unchanged: a save then loses
  // nothing of anyone's.
  bool ChangedOnDisk() const;
  // Looks at the opened file now and emits changedOnDisk() once for each change another program
  // made; while a file task runs, it looks when the task is over. A watcher on the file calls it
  // too.
  void CheckDisk();

  // Shorthands for the item list and rooms (see inspect/item_list.h).
  int ItemListSize() const { return static_cast<int>(bundle_.item_texts.size()); }
  bool IsItemEntry(int entry) const { return qavel::IsItemEntry(level(), entry); }
  bool IsAuxEntry(int entry) const { return qavel::IsAuxEntry(level(), entry); }
  int RoomOfEntry(int entry) const { return qavel::RoomOfEntry(level(), entry); }
  bool IsRoom(int room) const { return room >= 0 && room < level().num_rooms(); }
  // Static instances of a room, 0 for a room the level does not have.
  int StaticCount(int room) const;

  // ---- For the undo command only ----
  // Only EditCommand can make the key, so only it changes the level.
  class EditKey {
    friend class EditCommand;
    EditKey() = default;
  };
  enum Direction { kApply, kRevert };
  // Makes (or takes back) the edit, refreshes what it made stale and tells the listeners.
  void Perform(const LevelEdit& edit, Direction direction, EditKey key);

 signals:
  void opened();
  // The floor data of a newly read level is being decoded (progress follows).
  void parsingFloorData();
  // After every do and undo of an edit: what it touched.
  void changed(const EditTarget& target);
  // After a do or undo that brought problems the level did not have (after changed()).
  void problemsAdded(const std::vector<Problem>& added);
  // Another program changed the opened file (see CheckDisk()).
  void changedOnDisk();
  // How far the running file task has come (at most every 100 ms), and how it ended.
  void fileTaskProgress(int percent);
  void fileTaskDone(const FileOutcome& outcome);

 private:
  void Show(LevelBundle bundle, const std::string& path, const FileStamp& stamp);
  void SavedAs(const std::string& path, const FileStamp& stamp);
  // The file as this program last read or wrote it; from now on, changes to it are told.
  void SetFile(const std::string& path, const FileStamp& stamp);
  void AfterFileTask();

  LevelBundle bundle_;
  std::string file_path_;
  std::string catalog_path_;
  QUndoStack undo_stack_;
  FileTask task_;
  int shown_step_ = 0;  // the open's step the listeners last heard of
  std::vector<Problem> opened_errors_;
  FileStamp disk_stamp_;  // the file as opened or last saved
  FileStamp told_stamp_;  // the last change told by changedOnDisk()
  QFileSystemWatcher watcher_;
  QTimer disk_check_;  // a change is looked at once the other program is done writing
  bool check_after_task_ = false;
};

}  // namespace qavel
