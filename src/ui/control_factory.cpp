#include "ui/control_factory.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <utility>

#include "serial/line_speeds.h"
#include "ui/lamp_images.h"
#include "ui/port_number_combo_box.h"

namespace kt::ui {
namespace {

// Room for `characters` digits plus the field's frame and inner margins.
int fieldWidth(const QWidget& field, int characters)
{
    const QFontMetrics metrics = field.fontMetrics();
    return metrics.horizontalAdvance(QString(characters, u'0')) + metrics.height() / 2 + 8;
}

QLineEdit* createEdit(const ControlDescription& description, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    if (!stretches(description))
        edit->setFixedWidth(fieldWidth(*edit, description.width));
    edit->setAlignment(description.kind == ControlKind::CentredEdit ? Qt::AlignCenter
                                                             : Qt::AlignLeft | Qt::AlignVCenter);
    edit->setReadOnly(description.kind == ControlKind::ReadOnlyEdit);
    return edit;
}

QComboBox* createRateList(QWidget* parent)
{
    auto* list = new QComboBox(parent);
    for (const int speed : serial::kLineSpeeds)
        list->addItem(QString::number(speed));
    return list;
}

// Both drop-downs take typed text without adding it to their items.
QComboBox* makeEditable(QComboBox* list)
{
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setCompleter(nullptr);
    return list;
}

QPushButton* createButton(const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    // The window has no default button: Enter on a focused button presses only that button.
    button->setAutoDefault(false);
    const QFontMetrics metrics = button->fontMetrics();
    button->setFixedWidth(metrics.horizontalAdvance(caption) + metrics.height() + 4);
    return button;
}

QLabel* createLamp(QWidget* parent)
{
    auto* lamp = new QLabel(parent);
    lamp->setFixedSize(kLampSize, kLampSize);
    lamp->setAlignment(Qt::AlignCenter);
    return lamp;
}

QLabel* createText(const ControlDescription& description, const QString& caption, QWidget* parent)
{
    auto* text = new QLabel(caption, parent);
    if (stretches(description))
        text->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    else
        text->setMinimumWidth(text->fontMetrics().horizontalAdvance(QString(description.width, u'0')));
    return text;
}

QWidget* createWidget(const ControlDescription& description, QWidget* parent)
{
    const QString caption = QString::fromUtf8(description.caption);
    switch (description.kind) {
    case ControlKind::Label:
    case ControlKind::Unit:
        return new QLabel(caption, parent);
    case ControlKind::Edit:
    case ControlKind::CentredEdit:
    case ControlKind::ReadOnlyEdit:
        return createEdit(description, parent);
    case ControlKind::PortList:
        return makeEditable(new PortNumberComboBox(parent));
    case ControlKind::RateList:
        return makeEditable(createRateList(parent));
    case ControlKind::Button:
        return createButton(caption, parent);
    case ControlKind::CheckBox:
        return new QCheckBox(caption, parent);
    case ControlKind::Lamp:
        return createLamp(parent);
    case ControlKind::Text:
        return createText(description, caption, parent);
    }
    return nullptr;
}

// Assistive tools read every control by what it shows now, so only words it does not show
// are fixed here: a lamp or field without a label is named by `name`; a text, whose name is
// what it shows, is described by it.
QWidget* createControl(const ControlDescription& description, QWidget* parent)
{
    QWidget* control = createWidget(description, parent);
    if (description.id != 0)
        control->setObjectName(QString::number(description.id));
    if (description.name) {
        const QString words = QString::fromUtf8(description.name);
        if (description.kind == ControlKind::Text)
            control->setAccessibleDescription(words);
        else
            control->setAccessibleName(words);
    }
    return control;
}

// A field, drop-down or text: shows a value that the label before it names.
bool takesCaption(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Edit:
    case ControlKind::CentredEdit:
    case ControlKind::ReadOnlyEdit:
    case ControlKind::PortList:
    case ControlKind::RateList:
    case ControlKind::Text:
        return true;
    default:
        return false;
    }
}

}  // namespace

bool stretches(const ControlDescription& description)
{
    switch (description.kind) {
    case ControlKind::Edit:
    case ControlKind::CentredEdit:
    case ControlKind::ReadOnlyEdit:
    case ControlKind::Text:
        return description.width == 0;
    default:
        return false;
    }
}

void addControls(std::span<const ControlDescription> descriptions, QWidget* parent,
                 const std::function<void(QWidget*)>& place)
{
    QLabel* caption = nullptr;  // names the next control that takes a caption
    for (const ControlDescription& description : descriptions) {
        QWidget* control = createControl(description, parent);
        if (description.kind == ControlKind::Label)
            caption = static_cast<QLabel*>(control);
        else if (caption && takesCaption(description.kind))
            std::exchange(caption, nullptr)->setBuddy(control);
        place(control);
    }
}

void addControls(QBoxLayout& row, std::span<const ControlDescription> descriptions, QWidget* parent)
{
    addControls(descriptions, parent, [&row](QWidget* control) { row.addWidget(control); });
}

}  // namespace kt::ui
