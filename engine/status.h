// The result of an operation that can fail for reasons outside the program (files, encodings):
// ok, or a message for the person who asked for it.
#pragma once

#include <string>
#include <utility>

namespace tobiuo {

struct Status {
  bool ok = true;
  std::string message;

  static Status Ok() { return {}; }
  static Status Error(std::string message) { return {false, std::move(message)}; }
};

}  // namespace tobiuo
