#include "editor/level_document.h"

#include <filesystem>
#include <optional>

#include "inspect/level_problems.h"

namespace qavel {

LevelDocument::LevelDocument(QObject* parent) : QObject(parent) {
  connect(&task_, &FileTask::progress, this, [this](int step, int percent) {
    if (step != shown_step_ && step == static_cast<int>(OpenStep::kFloorData))
      emit parsingFloorData();
    shown_step_ = step;
    emit fileTaskProgress(percent);
  });
  disk_check_.setSingleShot(true);
  disk_check_.setInterval(200);
  connect(&disk_check_, &QTimer::timeout, this, &LevelDocument::CheckDisk);
  connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { disk_check_.start(); });
}

LevelDocument::~LevelDocument() = default;

// ---- Files, on the caller's thread ----

Result LevelDocument::Open(const std::string& path) {
  // The stamp comes first: a change made while the file is read is then told afterwards.
  const FileStamp stamp = StampOf(path);
  Expected<LevelBundle> fresh = OpenLevelBundle(path, catalog_path_);
  if (!fresh) return fresh.result();
  Show(std::move(*fresh), path, stamp);
  return Result::Ok();
}

void LevelDocument::Adopt(Ttrlevel level, const std::string& path) {
  Show(MakeLevelBundle(std::move(level), catalog_path_), path, StampOf(path));
}

void LevelDocument::Show(LevelBundle bundle, const std::string& path, const FileStamp& stamp) {
  undo_stack_.clear();
  bundle_ = std::move(bundle);
  undo_stack_.setClean();
  SetFile(path, stamp);
  emit opened();
}

Result LevelDocument::Save() {
  return SaveAs(file_path_);
}

Result LevelDocument::SaveAs(const std::string& path) {
  if (!level().IsLoaded()) return Result::Fail(Status::kNothingLoaded, "No level is open.");
  if (Result saved = SaveLevelFile(level(), path); !saved) return saved;
  SavedAs(path, StampOf(path));
  return Result::Ok();
}

void LevelDocument::SavedAs(const std::string& path, const FileStamp& stamp) {
  // What the writer computes stays in the file: the shown level (and the undo stack's view of
  // it) is the same before and after a save, whatever name the file gets.
  undo_stack_.setClean();
  SetFile(path, stamp);
}

void LevelDocument::SetFile(const std::string& path, const FileStamp& stamp) {
  file_path_ = path;
  disk_stamp_ = told_stamp_ = stamp;
  opened_errors_.clear();
  for (const Problem& p : bundle_.Problems())
    if (p.severity == Severity::kError) opened_errors_.push_back(p);
  for (const QString& watched : watcher_.files()) watcher_.removePath(watched);
  if (stamp.exists) watcher_.addPath(QString::fromStdString(path));
}

// ---- Files, on a worker thread ----

bool LevelDocument::StartOpen(const std::string& path) {
  struct Read {
    FileStamp stamp;
    std::optional<Expected<LevelBundle>> bundle;
  };
  auto read = std::make_shared<Read>();
  shown_step_ = 0;
  return task_.Run(
      [read, path, catalog = catalog_path_](FileTaskState& state) {
        OpenProgress progress;
        progress.report = [&state](OpenStep step, int percent) {
          state.step = static_cast<int>(step);
          state.percent = percent;
        };
        progress.cancelled = [&state] { return state.cancelled.load(); };
        read->stamp = StampOf(path);
        read->bundle.emplace(OpenLevelBundle(path, catalog, progress));
        // The window shows the textures at once: their packed pages are unpacked here, beside
        // the window's first frames, not on its thread afterwards. A damaged chunk is told with
        // the level's other read warnings; its pages show black.
        if (*read->bundle) {
          Ttrlevel& level = (*read->bundle)->level;
          if (Result pages = UnpackTexturePages(level); !pages)
            level.origin.read_warnings.push_back(pages.message() + "; its textures show black.");
          // The problems list shows at once as well: the level is checked here too.
          (*read->bundle)->Problems();
        }
      },
      [this, read, path] {
        FileOutcome outcome{FileOutcome::kOpen, path, Result::Ok(), task_.cancelled()};
        if (outcome.cancelled) {
          outcome.result = Result::Fail(Status::kRefused, "Cancelled.");
        } else if (!*read->bundle) {
          outcome.result = read->bundle->result();
        } else {
          Show(std::move(**read->bundle), path, read->stamp);
        }
        AfterFileTask();
        emit fileTaskDone(outcome);
      });
}

bool LevelDocument::StartSaveAs(const std::string& path) {
  if (!level().IsLoaded()) return false;
  struct Saved {
    Result result;
    FileStamp stamp;
  };
  // The worker writes a copy, so that nothing it reads can change under it.
  auto saved = std::make_shared<Saved>();
  return task_.Run(
      [saved, path, level = level()](FileTaskState& state) {
        SaveProgress progress;
        progress.report = [&state](int percent) { state.percent = percent; };
        progress.cancelled = [&state] { return state.cancelled.load(); };
        progress.writing = [&state] { state.committed = true; };
        saved->result = SaveLevelFile(level, path, progress);
        if (saved->result) saved->stamp = StampOf(path);
      },
      [this, saved, path] {
        FileOutcome outcome{FileOutcome::kSave, path, saved->result, false};
        if (saved->result.ok())
          SavedAs(path, saved->stamp);
        else
          outcome.cancelled = task_.cancelled() && saved->result.status() == Status::kRefused;
        AfterFileTask();
        emit fileTaskDone(outcome);
      });
}

bool LevelDocument::CancelFileTask() {
  return task_.Cancel();
}

void LevelDocument::AfterFileTask() {
  // A change seen while the task ran is looked at against the file as the task left it (our
  // own save is no change).
  if (check_after_task_)
    QMetaObject::invokeMethod(this, &LevelDocument::CheckDisk, Qt::QueuedConnection);
  check_after_task_ = false;
}

// ---- The file on disk ----

bool LevelDocument::IsOpenedFile(const std::string& path) const {
  if (file_path_.empty() || path.empty()) return false;
  std::error_code ec1, ec2;
  const auto a = std::filesystem::weakly_canonical(path, ec1);
  const auto b = std::filesystem::weakly_canonical(file_path_, ec2);
  return ec1 || ec2 ? path == file_path_ : a == b;
}

bool LevelDocument::ChangedOnDisk() const {
  const FileStamp now = StampOf(file_path_);
  return now.exists && !(now == disk_stamp_);
}

void LevelDocument::CheckDisk() {
  if (file_path_.empty()) return;
  if (busy()) {
    check_after_task_ = true;
    return;
  }
  const FileStamp now = StampOf(file_path_);
  // A file replaced by another program's save is a new file to the watcher: it watches it anew.
  const QString path = QString::fromStdString(file_path_);
  if (now.exists && !watcher_.files().contains(path)) watcher_.addPath(path);
  if (!now.exists || now == disk_stamp_ || now == told_stamp_) return;
  told_stamp_ = now;
  emit changedOnDisk();
}

// ---- The level ----

std::vector<Problem> LevelDocument::NewErrors() const {
  return NewProblems(opened_errors_, bundle_.Problems(), Severity::kError);
}

int LevelDocument::StaticCount(int room) const {
  return IsRoom(room) ? static_cast<int>(level().rooms[room].num_static_instances()) : 0;
}

void LevelDocument::Perform(const LevelEdit& edit, Direction direction, EditKey) {
  if (direction == kApply)
    edit.Apply(bundle_.level);
  else
    edit.Revert(bundle_.level);
  const std::vector<Problem> added = RefreshAfterEdit(bundle_, edit.target());
  emit changed(edit.target());
  if (!added.empty()) emit problemsAdded(added);
}

}  // namespace qavel
