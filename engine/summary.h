// The result summary: the figures of a finished run turned into the text of up to 25 lines (each
// ending in CR LF) that the window shows under "結  果" and the report file ends with.
#pragma once

#include <cstdint>
#include <string>

namespace tobiuo {

class Panel;

// The end-of-run values the summary reports.
struct RunFigures {
  int16_t BigReleases = 0;
  int16_t RegReleases = 0;
  int16_t Releases = 0;
  int16_t PureMissReleases = 0;
  int16_t CherryReleases = 0;
  int16_t CoinsHeld = 0;
  int32_t PeakCoins = 0;
  int16_t CoinDiff = 0;
  int32_t InvestTotal = 0;
  int32_t MaxBigGap = 0;
  int32_t MaxBonusGap = 0;
  int16_t HeavenModeCount = 0;
  int16_t NormalModeCount = 0;
  int16_t StockBig = 0;
  int16_t StockReg = 0;
  int16_t StockCount = 0;
  int16_t ExchangeRate = 0;
  double games = 0;  // the number of games chosen for the run, even when the quit rule ended it early
};

// What the coins held fetch at the exchange rate, in whole 100-yen steps (rounded down, also
// below zero). A rate below 1 pays nothing.
int32_t CashOut(int16_t coins_held, int16_t exchange_rate);

// CashOut minus the money invested.
int32_t Balance(const RunFigures& figures);

std::string FormatResultSummary(const RunFigures& figures);

// Sets the summary text, then shows the event log and enables the save command.
void WriteResultSummary(Panel& panel, const RunFigures& figures);

}  // namespace tobiuo
