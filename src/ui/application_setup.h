#pragma once

class QApplication;
class QFont;

namespace kt::ui {

// The console's 9-point Song face where installed, otherwise the system's Simplified
// Chinese face, so that every text renders in Chinese glyphs.
QFont consoleFont();

// Gives the application the console's font and Qt's own Simplified Chinese texts (standard
// buttons read "确定"). Shared by the console, its tests and tools that render the window.
void setUpApplication(QApplication& application);

}  // namespace kt::ui
