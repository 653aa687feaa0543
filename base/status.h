// The result of everything in the program that can fail: reading and checking inputs, encoding
// text, writing files, running a batch. A Status is ok, or says what went wrong in a message for
// the person who asked, with a code for the caller and, for refused inputs, the field refused.
// It must be looked at: the type is [[nodiscard]].
#pragma once

#include <string>
#include <utility>

namespace tobiuo {

// The start field a refusal is about, so that the window can put the focus back into it.
enum class InputField {
  kNone,
  kSetting,
  kGames,
  kRate,
  kStock,
  kQuit,
  kSeed,
  kRuns,
  kSettings,
  kPureMisses,
  kBig,
  kReg,
  kHeaven,
  kPrior
};

class [[nodiscard]] Status {
 public:
  enum class Code { kOk, kBadInput, kFileError, kAborted, kStopped };

  Status() = default;
  static Status Ok() { return {}; }
  static Status BadInput(InputField field, std::string message) {
    return Status(Code::kBadInput, field, std::move(message));
  }
  static Status FileError(std::string message) {
    return Status(Code::kFileError, InputField::kNone, std::move(message));
  }
  static Status Aborted(std::string message) {
    return Status(Code::kAborted, InputField::kNone, std::move(message));
  }
  static Status Stopped() { return Status(Code::kStopped, InputField::kNone, "中止しました"); }

  bool ok() const { return code_ == Code::kOk; }
  Code code() const { return code_; }
  InputField field() const { return field_; }
  const std::string& message() const { return message_; }

 private:
  Status(Code code, InputField field, std::string message)
      : code_(code), field_(field), message_(std::move(message)) {}

  Code code_ = Code::kOk;
  InputField field_ = InputField::kNone;
  std::string message_;
};

}  // namespace tobiuo
