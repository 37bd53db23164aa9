#include "editor/file_task.h"

namespace qavel {

FileTask::FileTask(QObject* parent) : QObject(parent) {
  poll_.setInterval(100);
  connect(&poll_, &QTimer::timeout, this, &FileTask::Poll);
}

FileTask::~FileTask() {
  if (!worker_) return;
  state_->cancelled = true;
  worker_->join();
}

bool FileTask::Run(std::function<void(FileTaskState&)> work, std::function<void()> done) {
  if (worker_) return false;
  state_ = std::make_shared<FileTaskState>();
  done_ = std::move(done);
  shown_step_ = shown_percent_ = -1;
  worker_ = std::make_unique<std::thread>([this, state = state_, work = std::move(work)] {
    work(*state);
    // Queued to this object: a task destroyed meanwhile takes the call with it.
    QMetaObject::invokeMethod(this, &FileTask::Finish, Qt::QueuedConnection);
  });
  poll_.start();
  return true;
}

bool FileTask::Cancel() {
  if (!worker_) return false;
  state_->cancelled = true;
  return !state_->committed;
}

void FileTask::Poll() {
  if (!state_) return;
  const int step = state_->step, percent = state_->percent;
  if (step == shown_step_ && percent == shown_percent_) return;
  shown_step_ = step;
  shown_percent_ = percent;
  emit progress(step, percent);
}

void FileTask::Finish() {
  poll_.stop();
  worker_->join();
  worker_.reset();
  // done may start the next task.
  std::function<void()> done = std::move(done_);
  done_ = nullptr;
  if (done) done();
}

}  // namespace qavel
