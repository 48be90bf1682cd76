#include "ui/window_layout.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace kt::ui {

WindowLayout::WindowLayout(QWidget& window) : window_(window), bands_(new QVBoxLayout(&window))
{
    bands_->setSizeConstraint(QLayout::SetFixedSize);
    bands_->setContentsMargins(8, 6, 8, 8);
    bands_->setSpacing(4);
}

QGroupBox* WindowLayout::addBand(const char* title)
{
    QGroupBox* band = frame(title, window_);
    bands_->addWidget(band);
    return band;
}

QGroupBox* WindowLayout::frame(const char* title, QWidget& parent)
{
    return new QGroupBox(QString::fromUtf8(title), &parent);
}

void WindowLayout::compact(QLayout& layout)
{
    layout.setContentsMargins(8, 4, 8, 6);
    layout.setSpacing(6);
}

RowBand::RowBand(WindowLayout& layout, const char* title)
    : row_(new QHBoxLayout(layout.addBand(title))),
      // Before the closing stretch, which only takes room when no control stretches.
      maker_(*row_->parentWidget(), layout.controls(),
             [this](QWidget* control, int stretch) {
                 row_->insertWidget(row_->count() - 1, control, stretch);
             })
{
    WindowLayout::compact(*row_);
    row_->addStretch();
}

}  // namespace kt::ui
