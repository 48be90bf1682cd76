#include "ui/about_dialog.h"

#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "ui/lamp_images.h"
#include "version/version.h"

namespace kt::ui {

AboutDialog::AboutDialog(const QIcon& appIcon, QWidget* parent)
    : QDialog(parent), okButton_(new QPushButton(QStringLiteral("确定"), this))
{
    setWindowTitle(QStringLiteral("关于 KT_5270"));
    setModal(true);

    auto* icon = new QLabel(this);
    icon->setPixmap(appIcon.pixmap(kLampSize));
    icon->setFixedSize(kLampSize, kLampSize);
    icon->setAccessibleName(QStringLiteral("KT_5270"));

    auto* version = new QLabel(
        QStringLiteral("KT_5270 %1.%2 版").arg(kt::version::kMajor).arg(kt::version::kMinor), this);

    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

    // Icon at the left, the version beside it, the OK button in the top right corner.
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(16, 12, 12, 12);
    layout->setHorizontalSpacing(16);
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignVCenter);
    layout->addWidget(version, 0, 1, 2, 1, Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(okButton_, 0, 2, Qt::AlignTop);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(1, 1);

    setFixedSize(350, 90);
}

}  // namespace kt::ui
