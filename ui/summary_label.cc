// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/summary_label.h"

#include <QPainter>
#include <algorithm>

namespace tobiuo::ui {
namespace {

constexpr int kSummaryLines = 25;

}  // namespace

SummaryLabel::SummaryLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QFont summary_font = font();
  summary_font.setPixelSize(11);
  setFont(summary_font);
}

void SummaryLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::WindowText));
  const QFontMetricsF metrics(font());
  const double step =
      std::min(metrics.lineSpacing(), static_cast<double>(height()) / kSummaryLines);
  double baseline = metrics.ascent();
  for (const QString& line : text().split(QLatin1Char('\n'))) {
    painter.drawText(QPointF(0, baseline), line);
    baseline += step;
  }
}

}  // namespace tobiuo::ui
