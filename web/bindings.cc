// SPDX-License-Identifier: GPL-3.0-or-later
// The browser's way into the program: the command-line tool itself, run on files held in memory.
// The page (web/site/engine.js) writes one JSON request into the module's memory,
//   {"args": ["run", "--seed", "8", "--report", "r.txt"], "files": {"name": "text", ...}}
// and gets back what the command printed, its exit status, every file it wrote (bytes as base64,
// since a report is CP932) and, for refused input, the refusal as data: the key of the field (the
// option's name without "--", empty when no one field is to blame), the 1-based item of a list
// (a history's release, 0 for none) and the message a player reads:
//   {"status": 0, "out": "...", "err": "...", "files": {"r.txt": "base64", ...},
//    "refusal": {"field": "history", "item": 12, "message": "..."}}   (refusal: status 2 only)
// so that every page computes exactly what `tobiuo-sim` computes, with the same refusals.
//
// The request travels through the heap (tobiuo_request hands out a buffer of its size), never as
// a string argument: emscripten copies those onto its small stack, and a batch's partials run to
// megabytes.
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/command.h"
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

std::string request_bytes;
std::string response;

nlohmann::json RefusalJson() {
  const tobiuo::Status& refused = tobiuo::LastReported();
  if (refused.ok()) return nullptr;
  return {{"field", refused.field()}, {"item", refused.item()}, {"message", refused.message()}};
}

}  // namespace

// A buffer of `size` bytes for the request's UTF-8, valid until the next call of either function.
extern "C" char* tobiuo_request(size_t size) {
  request_bytes.assign(size, '\0');
  return request_bytes.data();
}

extern "C" size_t tobiuo_response_size() { return response.size(); }

// Runs the request written into tobiuo_request's buffer; the response (tobiuo_response_size()
// bytes of UTF-8) stays valid until the next call.
extern "C" const char* tobiuo_cli() {
  const nlohmann::json in = nlohmann::json::parse(request_bytes, nullptr, false);
  request_bytes = std::string();
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
  nlohmann::json answer = {
      {"status", status}, {"out", out.str()}, {"err", err.str()}, {"files", std::move(files)}};
  if (status == tobiuo::kExitBadInput) answer["refusal"] = RefusalJson();
  response = answer.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  return response.c_str();
}
