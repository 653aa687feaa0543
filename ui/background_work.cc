#include "ui/background_work.h"

#include <QTimer>

namespace tobiuo::ui {
namespace {

constexpr int kTickMs = 50;

}  // namespace

BackgroundWork::BackgroundWork(QObject* parent) : QObject(parent), timer_(new QTimer(this)) {
  timer_->setInterval(kTickMs);
  connect(timer_, &QTimer::timeout, this, &BackgroundWork::OnTick);
}

BackgroundWork::~BackgroundWork() {
  if (job_) job_->progress.stop = true;
}

bool BackgroundWork::Start(Body body) {
  if (job_) return false;
  job_ = std::make_unique<Job>();
  Job* job = job_.get();
  job->thread = std::jthread([job, body = std::move(body)] {
    job->status = body(job->progress);
    job->done = true;
  });
  timer_->start();
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

void BackgroundWork::OnTick() {
  emit Ticked();
  if (!job_->done.load()) return;
  timer_->stop();
  std::unique_ptr<Job> job = std::move(job_);
  job->thread.join();
  emit Ended(job->status);
}

}  // namespace tobiuo::ui
