// Long work off the GUI thread: a body that reports progress and honours a stop through a
// BatchProgress runs on its own thread; a timer on the GUI thread reads the progress every 50 ms
// and, once the body has returned, joins it and says how it ended, so the event loop never waits.
// Stop asks the body to end; it ends at its next check, within a tick. Destroying a running work
// stops it and waits for the body, which a stop makes short.
#pragma once

#include <QObject>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "analysis/batch.h"
#include "base/status.h"

class QTimer;

namespace tobiuo::ui {

class BackgroundWork : public QObject {
  Q_OBJECT

 public:
  using Body = std::function<Status(BatchProgress&)>;

  explicit BackgroundWork(QObject* parent = nullptr);
  ~BackgroundWork() override;

  // Starts the body unless work is running; false when it is.
  bool Start(Body body);
  void Stop();
  bool running() const { return job_ != nullptr; }
  uint64_t done() const;
  // Seconds since the start.
  double elapsed() const;

 signals:
  void Ticked();                             // every 50 ms while running
  void Ended(const tobiuo::Status& status);  // once the body has returned

 private:
  struct Job {
    BatchProgress progress;
    Status status;
    std::atomic<bool> done{false};
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    std::jthread thread;  // the last member: joined before the rest goes
  };
  void OnTick();

  std::unique_ptr<Job> job_;
  QTimer* timer_;
};

}  // namespace tobiuo::ui
