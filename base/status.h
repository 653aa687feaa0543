// SPDX-License-Identifier: GPL-3.0-or-later
// The result of everything in the program that can fail: reading and checking inputs, encoding
// text, writing files, running a batch. A Status is ok, or says what went wrong in a message for
// the person who asked, with a code for the caller and, for refused inputs, the key of the field
// refused, as the form that refused it names its fields (base/fields.h), and for a field that is a
// list (a bonus history) the 1-based item refused.
// It must be looked at: the type is [[nodiscard]].
#pragma once

#include <cstddef>
#include <string>
#include <utility>

namespace tobiuo {

class [[nodiscard]] Status {
 public:
  enum class Code { kOk, kBadInput, kFileError, kAborted, kStopped };

  Status() = default;
  static Status Ok() { return {}; }
  static Status BadInput(std::string field, std::string message, size_t item = 0) {
    Status s(Code::kBadInput, std::move(field), std::move(message));
    s.item_ = item;
    return s;
  }
  static Status FileError(std::string message) {
    return Status(Code::kFileError, {}, std::move(message));
  }
  static Status Aborted(std::string message) {
    return Status(Code::kAborted, {}, std::move(message));
  }
  static Status Stopped() { return Status(Code::kStopped, {}, "中止しました"); }

  bool ok() const { return code_ == Code::kOk; }
  Code code() const { return code_; }
  const std::string& field() const { return field_; }
  const std::string& message() const { return message_; }
  size_t item() const { return item_; }
  // Where in a file the refused input stands ("h.csv:5"), said before the message on a command
  // line; the message itself stays as the forms show it.
  Status At(std::string where) const {
    Status s = *this;
    s.where_ = std::move(where);
    return s;
  }
  const std::string& where() const { return where_; }

 private:
  Status(Code code, std::string field, std::string message)
      : code_(code), field_(std::move(field)), message_(std::move(message)) {}

  Code code_ = Code::kOk;
  std::string field_;  // empty when no field is refused
  std::string message_;
  size_t item_ = 0;  // 0 when no item of a list is refused
  std::string where_;
};

}  // namespace tobiuo
