#include "cli/command.h"

#include <array>

namespace tobiuo {

int Report(std::ostream& err, const Status& status) {
  static constexpr std::array<std::pair<InputField, const char*>, 6> kOptionOf = {{
      {InputField::kSetting, "--setting: "},
      {InputField::kGames, "--games: "},
      {InputField::kRate, "--rate: "},
      {InputField::kStock, "--stock: "},
      {InputField::kQuit, "--quit: "},
      {InputField::kSeed, "--seed: "},
  }};
  err << "tobiuo-sim: ";
  for (const auto& [field, option] : kOptionOf) {
    if (status.field() == field) err << option;
  }
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
