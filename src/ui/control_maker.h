#pragma once

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace kt::ui {

class PortNumberComboBox;

// A field's width for a length in metres with two decimals.
inline constexpr int kMetresDigits = 8;

// The controls the window's bands are made of, in the order made.
using ControlList = std::vector<QWidget*>;

// Where a made control goes in its band's layout; `stretch` is 1 for a control that takes the
// room left in its row, otherwise 0.
using PlaceControl = std::function<void(QWidget* control, int stretch)>;

// Makes a band's controls as children of `parent`, hands each to `place` and lists it. A control with an id is named by it in decimal, which tests, tools and
// assistive tools go by. A label names the next field, drop-down or text made after it, which
// assistive tools then read under the label's words.
class ControlMaker {
public:
    ControlMaker(QWidget& parent, ControlList& made, PlaceControl place);

    void label(const char* caption);
    // Text that names no control: a unit behind a field, a channel's title.
    void staticText(const char* words);

    // A one-line field `digits` characters wide; 0 lets it stretch. `name` is for assistive
    // tools, where no label names the field.
    QLineEdit* field(int id, int digits, const char* name = nullptr);
    QLineEdit* centredField(int id, int digits, const char* name);
    QLineEdit* readOnlyField(int id, const char* name);
    // Drop-downs that take typed text without adding it to their items.
    PortNumberComboBox* portList(int id);
    QComboBox* rateList(int id);
    // No button of the window is the default: Enter on a focused button presses only it.
    QPushButton* button(int id, const char* caption);
    QCheckBox* checkBox(int id, const char* caption);
    // A picture of one of the lamp images; `name` says which lamp it is.
    QLabel* lamp(int id, const char* name);
    // Text that handlers rewrite, `digits` characters wide (0: stretching); `description` is
    // for assistive tools, which read the text itself as its name.
    QLabel* text(int id, int digits, const char* description = nullptr);

private:
    template <typename Control>
    Control* add(Control* control, int id, int stretch = 0);
    void nameByCaption(QWidget* control);
    QLineEdit* makeField(int id, int digits, const char* name);

    QWidget& parent_;
    ControlList& made_;
    PlaceControl place_;
    QLabel* caption_ = nullptr;  // names the next field, drop-down or text
};

}  // namespace kt::ui
