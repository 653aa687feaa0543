// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/command.h"

#include <array>

namespace tobiuo {
namespace {

Status& Reported() {
  thread_local Status reported;
  return reported;
}

}  // namespace

const Status& LastReported() { return Reported(); }

void ForgetReported() { Reported() = Status::Ok(); }

int Report(std::ostream& err, const Status& status) {
  Reported() = status;
  // A refused field is named as the option that gave it: the forms' field keys are option names.
  err << "tobiuo-sim: " << (status.field().empty() ? "" : "--" + status.field() + ": ");
  if (!status.where().empty()) err << Escaped(status.where()) << ": ";
  err << Escaped(status.message()) << '\n';
  switch (status.code()) {
    case Status::Code::kOk:
      return kExitOk;
    case Status::Code::kBadInput:
      return kExitBadInput;
    case Status::Code::kFileError:
      return kExitFileError;
    case Status::Code::kAborted:
      return kExitOverflow;
    case Status::Code::kStopped:
      return kExitInterrupted;
  }
  return kExitBadInput;
}

int FinishOutput(std::ostream& out, std::ostream& err) {
  out.flush();
  if (out) return kExitOk;
  err << "tobiuo-sim: stdout: the output could not be written\n";
  return kExitFileError;
}

}  // namespace tobiuo
