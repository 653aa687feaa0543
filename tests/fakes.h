// SPDX-License-Identifier: GPL-3.0-or-later
// Test doubles for the engine's outside effects: a scripted random source, and a file system that
// fails a chosen operation.
#pragma once

#include <cerrno>
#include <cstdint>
#include <deque>
#include <map>
#include <string>

#include "engine/random_source.h"
#include "io/file_system.h"

namespace tobiuo::testing {

// A real in [0, 1) that DrawInt turns into exactly k for the given n.
inline float RealFor(int32_t k, int32_t n) { return static_cast<float>((k - 0.5) / n); }

// Hands out scripted reals in order, then a fixed fallback; counts the draws made.
class ScriptedRandom final : public RandomSource {
 public:
  // The default fallback draws no role in a game (60000 of 65535).
  explicit ScriptedRandom(float fallback = RealFor(60000, 65535)) : fallback_(fallback) {}

  ScriptedRandom& Push(int32_t k, int32_t n) {
    script_.push_back(RealFor(k, n));
    return *this;
  }
  ScriptedRandom& Repeat(int times, int32_t k, int32_t n) {
    for (int i = 0; i < times; ++i) Push(k, n);
    return *this;
  }

  float NextReal() override {
    ++draws_;
    if (script_.empty()) return fallback_;
    const float r = script_.front();
    script_.pop_front();
    return r;
  }

  int draws() const { return draws_; }

 private:
  std::deque<float> script_;
  float fallback_;
  int draws_ = 0;
};

// The real file system, except that the n-th call (from 1) of a named operation fails with the
// given errno value.
class FaultyFileSystem final : public FileSystem {
 public:
  void Fail(const std::string& operation, int call, int error) {
    faults_[operation] = {call, error};
  }

  int Stat(const std::string& p, FileInfo* i) override { return real_.Stat(p, i); }
  int ReadLink(const std::string& p, std::string* t) override { return real_.ReadLink(p, t); }
  int CreateTemp(const std::string& prefix, std::string* p, int* fd) override {
    return Call("CreateTemp", [&] { return real_.CreateTemp(prefix, p, fd); });
  }
  int Write(int fd, std::string_view b) override {
    return Call("Write", [&] { return real_.Write(fd, b); });
  }
  int CopyOwnerAndMode(int fd, const FileInfo& l) override { return real_.CopyOwnerAndMode(fd, l); }
  int Sync(int fd) override {
    return Call("Sync", [&] { return real_.Sync(fd); });
  }
  int Close(int fd) override { return real_.Close(fd); }
  int Rename(const std::string& f, const std::string& t) override {
    return Call("Rename", [&] { return real_.Rename(f, t); });
  }
  int Link(const std::string& f, const std::string& t) override {
    return Call("Link", [&] { return real_.Link(f, t); });
  }
  int Remove(const std::string& p) override { return real_.Remove(p); }
  int CheckWritable(const std::string& p) override {
    return Call("CheckWritable", [&] { return real_.CheckWritable(p); });
  }
  int OpenForReading(const std::string& p, int* fd) override {
    return Call("OpenForReading", [&] { return real_.OpenForReading(p, fd); });
  }
  int Read(int fd, char* b, size_t n, size_t* got) override {
    return Call("Read", [&] { return real_.Read(fd, b, n, got); });
  }

 private:
  struct Fault {
    int call = 0;
    int error = 0;
  };
  template <typename Op>
  int Call(const std::string& name, Op op) {
    const int n = ++calls_[name];
    const auto fault = faults_.find(name);
    return fault != faults_.end() && fault->second.call == n ? fault->second.error : op();
  }

  FileSystem& real_ = RealFileSystem();
  std::map<std::string, Fault> faults_;
  std::map<std::string, int> calls_;
};

}  // namespace tobiuo::testing
