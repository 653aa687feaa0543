// Writing a whole file safely: the bytes go to a temporary file beside the target, which replaces
// the target only once it is complete and flushed. On any failure the target is left as it was,
// the temporary file is removed, and the message names the file and the reason.
#pragma once

#include <string>
#include <string_view>

#include "engine/status.h"

namespace tobiuo {

Status WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace tobiuo
