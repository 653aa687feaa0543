// SPDX-License-Identifier: GPL-3.0-or-later
// Enter (or Return) on a focused button presses it, as players expect from Windows programs; Qt
// does so only for buttons in dialogs. The filter belongs to the button and goes with it.
#pragma once

class QPushButton;

namespace tobiuo::ui {

void PressOnEnter(QPushButton* button);

}  // namespace tobiuo::ui
