// SPDX-License-Identifier: GPL-3.0-or-later
// The two files of the history estimate, read whole and checked line by line, each refusal one
// line naming the file, the line and what is wrong (for a history's release, in Japanese with the
// release's number, as the windows and the page say it):
// - a history: CSV with the header "game,bonus,trigger" and one release per line in order (game
//   a whole number, bonus BIG or REG, trigger pure_miss, cherry, none or unknown; that the games
//   lie in 1 to G in order is CheckHistory's to judge, naming the release);
// - history cases: JSON Lines, one case per line, of exactly this shape (pure_misses may be
//   absent; stock absent is 不明, 0 to 255; setting_changed absent is 不明; "watched_from": W may
//   be added, the game the player began watching at, default 1):
//   {"games":8000,"pure_misses":11,"stock":20,"setting_changed":false,
//    "releases":[[77,"BIG","cherry"],[159,"REG","none"]]}
// Either may start with a byte order mark and end its lines with CR LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "analysis/history.h"
#include "base/status.h"

namespace tobiuo {

struct HistoryCase {
  History history;
  HistoryStart start;
  int32_t more_games = 0;             // of a value case: the games to be played on
  size_t line = 0;                    // of its file, from 1
  std::vector<size_t> release_lines;  // of a history file, each release's line, from 1
};

// The releases of a history file (`name` in messages), as written, and each one's line.
[[nodiscard]] Status ReadHistoryText(std::string_view bytes, const std::string& name,
                                     std::vector<HistoryRelease>* releases,
                                     std::vector<size_t>* release_lines);

// A refusal of a history file's release (Status::item) placed at the file's line, as every
// refusal of a file's line is worded; others as they are.
Status AtReleaseLine(const Status& refusal, const std::string& name,
                     const std::vector<size_t>& release_lines);

// The cases of a history-cases file, each checked as a history; with `value_cases`, each also
// has "more_games": N, 1 to 8000 - games (a value case, `--cases` of the value command).
[[nodiscard]] Status ReadHistoryCasesText(std::string_view bytes, const std::string& name,
                                          std::vector<HistoryCase>* cases,
                                          bool value_cases = false);

}  // namespace tobiuo
