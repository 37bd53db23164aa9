#pragma once
// FileTask: a long file operation (reading or writing a level) run on a worker thread while the
// window's thread stays free for the window. The worker reports through shared state: how far
// it has come, which step it is in, and whether it was asked to stop. The window's thread reads
// that state at most every 100 ms (progress()) and hears once when the work is done.

#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace qavel {

// What the worker and the window's thread share.
struct FileTaskState {
  std::atomic<int> step{0};
  std::atomic<int> percent{0};
  std::atomic<bool> cancelled{false};
  // Set by the worker once stopping would no longer leave things as they were (a save that
  // has started to replace the file).
  std::atomic<bool> committed{false};
};

class FileTask : public QObject {
  Q_OBJECT

 public:
  explicit FileTask(QObject* parent = nullptr);
  // Asks a running worker to stop and waits for it; its done callback is not called.
  ~FileTask() override;

  bool busy() const { return static_cast<bool>(worker_); }
  // Runs work on a worker thread and then done on this object's thread; false (and nothing
  // run) while another task runs.
  bool Run(std::function<void(FileTaskState&)> work, std::function<void()> done);
  // Asks the worker to stop; true when that can still leave everything as it was.
  bool Cancel();
  bool cancelled() const { return state_ && state_->cancelled; }

 signals:
  // At most every 100 ms while the worker runs, when its step or progress moved.
  void progress(int step, int percent);

 private:
  void Poll();
  void Finish();

  std::shared_ptr<FileTaskState> state_;
  std::unique_ptr<std::thread> worker_;
  std::function<void()> done_;
  QTimer poll_;
  int shown_step_ = -1, shown_percent_ = -1;
};

}  // namespace qavel
