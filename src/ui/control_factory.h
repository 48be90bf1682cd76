#pragma once

#include <functional>
#include <span>

class QBoxLayout;
class QWidget;

namespace kt::ui {

enum class ControlKind {
    Label,         // static text that never changes; has no id; names the controls after it
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
    const char* name = nullptr;  // UTF-8 name for assistive tools where no label names it
};

// Whether the control takes the room left in its row (a field or text without a width).
bool stretches(const ControlDescription& description);

// Creates the controls as children of `parent`, each named by its id in decimal, and hands
// them to `place` in order. Each is named for assistive
// tools by its own `name`, else a button, check box or label by its caption and any other
// control by the nearest label before it in `descriptions`.
void addControls(std::span<const ControlDescription> descriptions, QWidget* parent,
                 const std::function<void(QWidget*)>& place);

// The same, adding the controls to `row` from left to right.
void addControls(QBoxLayout& row, std::span<const ControlDescription> descriptions, QWidget* parent);

}  // namespace kt::ui
