#include "editor/level_document.h"

#include <optional>

namespace qavel {

LevelDocument::LevelDocument(QObject* parent) : QObject(parent) {
  connect(&task_, &FileTask::progress, this, [this](int step, int percent) {
    if (step != shown_step_ && step == static_cast<int>(OpenStep::kFloorData))
      emit parsingFloorData();
    shown_step_ = step;
    emit fileTaskProgress(percent);
  });
}

LevelDocument::~LevelDocument() = default;

// ---- Files, on the caller's thread ----

Result LevelDocument::Open(const std::string& path) {
  Expected<LevelBundle> fresh = OpenLevelBundle(path, catalog_path_);
  if (!fresh) return fresh.result();
  Show(std::move(*fresh), path);
  return Result::Ok();
}

void LevelDocument::Adopt(Ttrlevel level, const std::string& path) {
  Show(MakeLevelBundle(std::move(level), catalog_path_), path);
}

void LevelDocument::Show(LevelBundle bundle, const std::string& path) {
  undo_stack_.clear();
  bundle_ = std::move(bundle);
  file_path_ = path;
  undo_stack_.setClean();
  emit opened();
}

Result LevelDocument::Save() {
  return SaveAs(file_path_);
}

Result LevelDocument::SaveAs(const std::string& path) {
  if (!level().IsLoaded()) return Result::Fail(Status::kNothingLoaded, "No level is open.");
  if (Result saved = SaveLevelFile(level(), path); !saved) return saved;
  SavedAs(path);
  return Result::Ok();
}

void LevelDocument::SavedAs(const std::string& path) {
  // What the writer computes stays in the file: the shown level (and the undo stack's view of
  // it) is the same before and after a save, whatever name the file gets.
  file_path_ = path;
  undo_stack_.setClean();
}

// ---- Files, on a worker thread ----

bool LevelDocument::StartOpen(const std::string& path) {
  auto read = std::make_shared<std::optional<Expected<LevelBundle>>>();
  shown_step_ = 0;
  return task_.Run(
      [read, path, catalog = catalog_path_](FileTaskState& state) {
        OpenProgress progress;
        progress.report = [&state](OpenStep step, int percent) {
          state.step = static_cast<int>(step);
          state.percent = percent;
        };
        progress.cancelled = [&state] { return state.cancelled.load(); };
        read->emplace(OpenLevelBundle(path, catalog, progress));
        // The window shows the textures at once: their packed pages are unpacked here, beside
        // the window's first frames, not on its thread afterwards. A damaged chunk is told with
        // the level's other read warnings; its pages show black.
        if (*read && **read) {
          Ttrlevel& level = (**read)->level;
          if (Result pages = UnpackTexturePages(level); !pages)
            level.origin.read_warnings.push_back(pages.message() + "; its textures show black.");
        }
      },
      [this, read, path] {
        FileOutcome outcome{FileOutcome::kOpen, path, Result::Ok(), task_.cancelled()};
        if (outcome.cancelled) {
          outcome.result = Result::Fail(Status::kRefused, "Cancelled.");
        } else if (!**read) {
          outcome.result = (*read)->result();
        } else {
          Show(std::move(***read), path);
        }
        emit fileTaskDone(outcome);
      });
}

bool LevelDocument::StartSaveAs(const std::string& path) {
  if (!level().IsLoaded()) return false;
  // The worker writes a copy, so that nothing it reads can change under it.
  auto saved = std::make_shared<Result>();
  return task_.Run(
      [saved, path, level = level()](FileTaskState& state) {
        SaveProgress progress;
        progress.report = [&state](int percent) { state.percent = percent; };
        progress.cancelled = [&state] { return state.cancelled.load(); };
        progress.writing = [&state] { state.committed = true; };
        *saved = SaveLevelFile(level, path, progress);
      },
      [this, saved, path] {
        FileOutcome outcome{FileOutcome::kSave, path, *saved, false};
        if (saved->ok())
          SavedAs(path);
        else
          outcome.cancelled = task_.cancelled() && saved->status() == Status::kRefused;
        emit fileTaskDone(outcome);
      });
}

bool LevelDocument::CancelFileTask() {
  return task_.Cancel();
}

// ---- The level ----

int LevelDocument::StaticCount(int room) const {
  return IsRoom(room) ? static_cast<int>(level().rooms[room].num_static_instances()) : 0;
}

void LevelDocument::Perform(const LevelEdit& edit, Direction direction, EditKey) {
  if (direction == kApply)
    edit.Apply(bundle_.level);
  else
    edit.Revert(bundle_.level);
  RefreshAfterEdit(bundle_, edit.target());
  emit changed(edit.target());
}

}  // namespace qavel
