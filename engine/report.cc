#include "engine/report.h"

#include <iconv.h>

#include <cerrno>

#include "engine/file_output.h"

namespace tobiuo {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kSettingLine = "トビウオ号 設定";

// The length of the UTF-8 sequence that starts with byte `b` (1 for a stray byte).
size_t SequenceLength(unsigned char b) {
  return b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
}

}  // namespace

std::string ReportText(std::string_view setting, const std::vector<std::string>& log,
                       std::string_view summary) {
  std::string text;
  text.append(kSettingLine).append(setting).append(kCrLf);
  for (const std::string& line : log) text.append(line).append(kCrLf);
  text.append(summary).append(kCrLf);
  return text;
}

std::vector<std::string> ReportLines(std::string_view setting, const std::vector<std::string>& log,
                                     std::string_view summary) {
  std::vector<std::string> lines;
  lines.push_back(std::string(kSettingLine).append(setting));
  lines.insert(lines.end(), log.begin(), log.end());
  while (!summary.empty()) {
    const size_t end = summary.find(kCrLf);
    lines.emplace_back(summary.substr(0, end));
    summary.remove_prefix(end == std::string_view::npos ? summary.size() : end + kCrLf.size());
  }
  return lines;
}

std::optional<std::string> EncodeCp932(std::string_view utf8, std::string* error) {
  iconv_t cd = ::iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    if (error) *error = "文字コード CP932 への変換が使えません";
    return std::nullopt;
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
    if (error) {
      const size_t at = utf8.size() - in_left;
      const std::string_view bad = utf8.substr(at, SequenceLength(static_cast<unsigned char>(utf8[at])));
      *error = saved == EILSEQ || saved == EINVAL
                   ? "「" + std::string(bad) + "」は Shift-JIS（CP932）で保存できない文字です"
                   : "文字コードの変換に失敗しました";
    }
    return std::nullopt;
  }
  out.resize(out.size() - out_left);
  return out;
}

Status SaveReport(const std::string& path, std::string_view setting,
                  const std::vector<std::string>& log, std::string_view summary) {
  std::string error;
  const std::optional<std::string> bytes = EncodeCp932(ReportText(setting, log, summary), &error);
  if (!bytes) return Status::Error("ファイル「" + path + "」を保存できませんでした：" + error);
  return WriteFileAtomically(path, *bytes);
}

}  // namespace tobiuo
