// SPDX-License-Identifier: GPL-3.0-or-later

#include "io/cp932.h"

#include <iconv.h>

#include <cerrno>

#include "base/utf8.h"

namespace tobiuo {

Status EncodeCp932(std::string_view utf8, std::string* bytes) {
  iconv_t cd = ::iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    return Status::FileError("文字コード CP932 への変換が使えません");
  }
  std::string out(utf8.size() * 2 + 16, '\0');
  char* in_ptr = const_cast<char*>(utf8.data());
  size_t in_left = utf8.size();
  char* out_ptr = out.data();
  size_t out_left = out.size();
  const size_t done = ::iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
  const int saved = errno;
  ::iconv_close(cd);
  if (done == static_cast<size_t>(-1)) {
    if (saved != EILSEQ && saved != EINVAL) {
      return Status::FileError("文字コードの変換に失敗しました");
    }
    size_t at = utf8.size() - in_left;
    const size_t start = at;
    const bool decoded = DecodeUtf8(utf8, at).has_value();
    return Status::FileError(decoded ? "「" + std::string(utf8.substr(start, at - start)) +
                                           "」は Shift-JIS（CP932）で保存できない文字です"
                                     : "UTF-8として正しくない文字があります");
  }
  out.resize(out.size() - out_left);
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
