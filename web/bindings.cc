// SPDX-License-Identifier: GPL-3.0-or-later
// The browser's way into the program: the command-line tool itself, run on files held in memory.
// The page (web/site/engine.js) sends one JSON request,
//   {"args": ["run", "--seed", "8", "--report", "r.txt"], "files": {"name": "text", ...}}
// and gets back what the command printed, its exit status and every file it wrote (bytes as
// base64, since a report is CP932):
//   {"status": 0, "out": "...", "err": "...", "files": {"r.txt": "base64", ...}}
// so that every page computes exactly what `tobiuo-sim` computes, with the same refusals.
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "io/memory_file_system.h"

namespace {

std::string Base64(const std::string& bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  const auto byte = [&](size_t i) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[i]));
  };
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t left = bytes.size() - i;
    const uint32_t chunk =
        byte(i) << 16 | (left > 1 ? byte(i + 1) << 8 : 0) | (left > 2 ? byte(i + 2) : 0);
    out += kDigits[chunk >> 18 & 63];
    out += kDigits[chunk >> 12 & 63];
    out += left > 1 ? kDigits[chunk >> 6 & 63] : '=';
    out += left > 2 ? kDigits[chunk & 63] : '=';
  }
  return out;
}

}  // namespace

extern "C" const char* tobiuo_cli(const char* request) {
  static std::string response;
  const nlohmann::json in = nlohmann::json::parse(request, nullptr, false);
  if (in.is_discarded() || !in.contains("args") || !in["args"].is_array()) {
    response = R"({"status":2,"out":"","err":"the request is not {\"args\":[...]}","files":{}})";
    return response.c_str();
  }
  tobiuo::MemoryFileSystem fs;
  std::vector<std::string> args;
  for (const auto& arg : in["args"]) args.push_back(arg.get<std::string>());
  if (in.contains("files")) {
    for (const auto& [name, text] : in["files"].items()) fs.files()[name] = text.get<std::string>();
  }
  const auto given = fs.files();
  std::ostringstream out, err;
  const int status = tobiuo::RunCli(args, out, err, fs);
  nlohmann::json files = nlohmann::json::object();
  for (const auto& [name, bytes] : fs.files()) {
    const auto before = given.find(name);
    if (before == given.end() || before->second != bytes) files[name] = Base64(bytes);
  }
  response =
      nlohmann::json{
          {"status", status}, {"out", out.str()}, {"err", err.str()}, {"files", std::move(files)}}
          .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  return response.c_str();
}
