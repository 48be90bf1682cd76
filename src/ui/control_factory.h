#pragma once

#include <functional>
#include <span>

class QBoxLayout;
class QWidget;

namespace kt::ui {

enum class ControlKind {
    Label,         // static text that never changes; has no id; names the value after it
    Unit,          // static unit text behind a field; has no id
    Edit,          // one-line text field
    CentredEdit,   // text field with centred text (the clock fields)
    ReadOnlyEdit,  // text field the operator cannot type into
    PortList,      // drop-down of the port numbers, editable text
    RateList,      // drop-down of the line speeds, editable text
    Button,
    CheckBox,
    Lamp,          // picture of one of the lamp images, centred
    Text,          // static text that handlers rewrite
};

struct ControlDescription {
    ControlKind kind;
    int id = 0;                // 0 for labels, which no handler addresses
    const char* caption = "";  // UTF-8: label text, button or check box caption
    int width = 0;             // fields and texts: characters shown whole; 0 lets it stretch
    // UTF-8, for assistive tools, where the control shows no words and no label names it: a
    // lamp's or field's name; a text's description, since its name is what it shows.
    const char* name = nullptr;
};

// Whether the control takes the room left in its row (a field or text without a width).
bool stretches(const ControlDescription& description);

// Creates the controls as children of `parent`, each named by its id in decimal, and hands
// them to `place` in order. A label is the buddy of the next field, drop-down or text after it
// in `descriptions`, which assistive tools then read under the label's words.
void addControls(std::span<const ControlDescription> descriptions, QWidget* parent,
                 const std::function<void(QWidget*)>& place);

// The same, adding the controls to `row` from left to right.
void addControls(QBoxLayout& row, std::span<const ControlDescription> descriptions, QWidget* parent);

}  // namespace kt::ui
