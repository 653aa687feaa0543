// SPDX-License-Identifier: GPL-3.0-or-later
// Long work off the GUI thread: a body that reports progress and honours a stop through a
// Progress runs on a thread of its own. The window learns of it through queued signals: Progressed
// after the body advances (at most one waiting in the event queue at a time, so a fast body cannot
// flood the event loop) and Ended once the body has returned; the GUI thread never waits for it.
// Stop asks the body to end at its next check. Destroying a running work stops it and waits for
// the body, which a stop makes short.
#pragma once

#include <QObject>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "analysis/parallel_for.h"
#include "base/status.h"

namespace tobiuo::ui {

class BackgroundWork : public QObject {
  Q_OBJECT

 public:
  using Body = std::function<Status(Progress&)>;

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
  void Progressed();                         // the body has advanced
  void Ended(const tobiuo::Status& status);  // the body has returned

 private:
  struct Job {
    Progress progress;
    std::atomic<bool> progress_queued{false};
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    std::thread thread;
  };
  void OnProgress();
  void OnEnded(const Status& status);

  std::unique_ptr<Job> job_;
};

}  // namespace tobiuo::ui
