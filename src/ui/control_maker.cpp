#include "ui/control_maker.h"

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

template <typename List>
List* makeEditable(List* list)
{
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setCompleter(nullptr);
    return list;
}

}  // namespace

ControlMaker::ControlMaker(QWidget& parent, ControlList& made, PlaceControl place)
    : parent_(parent), made_(made), place_(std::move(place))
{
}

template <typename Control>
Control* ControlMaker::add(Control* control, int id, int stretch)
{
    control->setObjectName(QString::number(id));
    place_(control, stretch);
    made_.push_back(control);
    return control;
}

void ControlMaker::nameByCaption(QWidget* control)
{
    if (caption_)
        std::exchange(caption_, nullptr)->setBuddy(control);
}

void ControlMaker::label(const char* caption)
{
    caption_ = new QLabel(QString::fromUtf8(caption), &parent_);
    place_(caption_, 0);
}

void ControlMaker::staticText(const char* words)
{
    place_(new QLabel(QString::fromUtf8(words), &parent_), 0);
}

QLineEdit* ControlMaker::makeField(int id, int digits, const char* name)
{
    auto* field = new QLineEdit(&parent_);
    if (digits > 0)
        field->setFixedWidth(fieldWidth(*field, digits));
    if (name)
        field->setAccessibleName(QString::fromUtf8(name));
    nameByCaption(field);
    return add(field, id, digits > 0 ? 0 : 1);
}

QLineEdit* ControlMaker::field(int id, int digits, const char* name)
{
    return makeField(id, digits, name);
}

QLineEdit* ControlMaker::centredField(int id, int digits, const char* name)
{
    QLineEdit* field = makeField(id, digits, name);
    field->setAlignment(Qt::AlignCenter);
    return field;
}

QLineEdit* ControlMaker::readOnlyField(int id, const char* name)
{
    QLineEdit* field = makeField(id, 0, name);
    field->setReadOnly(true);
    return field;
}

PortNumberComboBox* ControlMaker::portList(int id)
{
    auto* list = makeEditable(new PortNumberComboBox(&parent_));
    nameByCaption(list);
    return add(list, id);
}

QComboBox* ControlMaker::rateList(int id)
{
    auto* list = makeEditable(new QComboBox(&parent_));
    for (const int speed : serial::kLineSpeeds)
        list->addItem(QString::number(speed));
    nameByCaption(list);
    return add(list, id);
}

QPushButton* ControlMaker::button(int id, const char* caption)
{
    const QString words = QString::fromUtf8(caption);
    auto* button = new QPushButton(words, &parent_);
    button->setAutoDefault(false);
    const QFontMetrics metrics = button->fontMetrics();
    button->setFixedWidth(metrics.horizontalAdvance(words) + metrics.height() + 4);
    return add(button, id);
}

QCheckBox* ControlMaker::checkBox(int id, const char* caption)
{
    return add(new QCheckBox(QString::fromUtf8(caption), &parent_), id);
}

QLabel* ControlMaker::lamp(int id, const char* name)
{
    auto* lamp = new QLabel(&parent_);
    lamp->setFixedSize(kLampSize, kLampSize);
    lamp->setAlignment(Qt::AlignCenter);
    lamp->setAccessibleName(QString::fromUtf8(name));
    return add(lamp, id);
}

QLabel* ControlMaker::text(int id, int digits, const char* description)
{
    auto* text = new QLabel(&parent_);
    if (digits > 0)
        text->setMinimumWidth(text->fontMetrics().horizontalAdvance(QString(digits, u'0')));
    else
        text->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    if (description)
        text->setAccessibleDescription(QString::fromUtf8(description));
    nameByCaption(text);
    return add(text, id, digits > 0 ? 0 : 1);
}

}  // namespace kt::ui
