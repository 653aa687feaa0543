// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/background_work.h"

namespace tobiuo::ui {

BackgroundWork::BackgroundWork(QObject* parent) : QObject(parent) {}

BackgroundWork::~BackgroundWork() {
  // The body may still post to this object until it returns; the posts die with the object.
  if (!job_) return;
  job_->progress.stop = true;
  job_->thread.join();
}

bool BackgroundWork::Start(Body body) {
  if (job_) return false;
  job_ = std::make_unique<Job>();
  Job* job = job_.get();
  job->progress.on_advance = [this, job] {
    if (!job->progress_queued.exchange(true)) {
      QMetaObject::invokeMethod(this, &BackgroundWork::OnProgress, Qt::QueuedConnection);
    }
  };
  job->thread = std::thread([this, job, body = std::move(body)] {
    const Status status = body(job->progress);
    QMetaObject::invokeMethod(
        this, [this, status] { OnEnded(status); }, Qt::QueuedConnection);
  });
  return true;
}

void BackgroundWork::Stop() {
  if (job_) job_->progress.stop = true;
}

uint64_t BackgroundWork::done() const { return job_ ? job_->progress.runs_done.load() : 0; }

double BackgroundWork::elapsed() const {
  return job_
             ? std::chrono::duration<double>(std::chrono::steady_clock::now() - job_->start).count()
             : 0;
}

void BackgroundWork::OnProgress() {
  if (!job_) return;
  job_->progress_queued = false;
  emit Progressed();
}

void BackgroundWork::OnEnded(const Status& status) {
  // The body has returned: the join waits only for its thread to finish exiting.
  std::unique_ptr<Job> job = std::move(job_);
  job->thread.join();
  emit Ended(status);
}

}  // namespace tobiuo::ui
