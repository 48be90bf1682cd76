#pragma once

#include "ui/control_maker.h"

class QLayout;
class QGroupBox;
class QHBoxLayout;
class QVBoxLayout;

namespace kt::ui {

// The window's bands from top to bottom, as its parts make them, and the controls in the
// order made.
class WindowLayout {
public:
    explicit WindowLayout(QWidget& window);

    QWidget& window() const { return window_; }
    QVBoxLayout& bands() const { return *bands_; }
    ControlList& controls() { return controls_; }

    // A framed band, titled or not, added below the others, with the window's margins inside.
    QGroupBox* addBand(const char* title);
    // A titled frame inside `parent`.
    static QGroupBox* frame(const char* title, QWidget& parent);
    // Sets the window's compact margins and spacing on `layout`.
    static void compact(QLayout& layout);

private:
    QWidget& window_;
    QVBoxLayout* bands_;
    ControlList controls_;
};

// A band of one row of controls from left to right: the room left goes to a control that
// stretches, otherwise to the row's end.
class RowBand {
public:
    RowBand(WindowLayout& layout, const char* title = "");

    ControlMaker& controls() { return maker_; }

private:
    QHBoxLayout* row_;
    ControlMaker maker_;
};

}  // namespace kt::ui
