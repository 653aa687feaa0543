// SPDX-License-Identifier: GPL-3.0-or-later

#include "io/cp932.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>

#include "base/utf8.h"

namespace tobiuo {

namespace {

struct Cp932Entry {
  uint16_t code_point;
  uint16_t bytes;  // one byte below 0x100, else lead byte and trail byte
};

// Every character beyond ASCII that code page 932 holds, as glibc's iconv encodes it.
constexpr Cp932Entry kCp932[] = {
#include "io/cp932_table.inc"
};

}  // namespace

Status EncodeCp932(std::string_view utf8, std::string* bytes) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t at = 0; at < utf8.size();) {
    const size_t start = at;
    const std::optional<char32_t> c = DecodeUtf8(utf8, at);
    if (!c) return Status::FileError("UTF-8として正しくない文字があります");
    if (*c < 0x80) {
      out += static_cast<char>(*c);
      continue;
    }
    const auto* found =
        std::lower_bound(std::begin(kCp932), std::end(kCp932), *c,
                         [](const Cp932Entry& e, char32_t code) { return e.code_point < code; });
    if (found == std::end(kCp932) || found->code_point != *c) {
      return Status::FileError("「" + std::string(utf8.substr(start, at - start)) +
                               "」は Shift-JIS（CP932）で保存できない文字です");
    }
    if (found->bytes > 0xFF) out += static_cast<char>(found->bytes >> 8);
    out += static_cast<char>(found->bytes & 0xFF);
  }
  *bytes = std::move(out);
  return Status::Ok();
}

Status Cp932File(const std::string& path, std::string_view utf8, FileToWrite* file) {
  file->path = path;
  if (Status s = EncodeCp932(utf8, &file->bytes); !s.ok()) {
    return Status::FileError("ファイル「" + path + "」を保存できませんでした：" + s.message());
  }
  return Status::Ok();
}

Status SaveCp932(FileSystem& fs, const std::string& path, std::string_view utf8) {
  FileToWrite file;
  if (Status s = Cp932File(path, utf8, &file); !s.ok()) return s;
  return WriteFilesAtomically(fs, {file});
}

}  // namespace tobiuo
