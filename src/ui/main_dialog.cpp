#include "ui/main_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "device/channel_status.h"
#include "ui/device_text.h"
#include "ui/traffic_log_window.h"

namespace kt::ui {

MainDialog::MainDialog(std::unique_ptr<Prompts> prompts, QWidget* parent)
    : QDialog(parent),
      prompts_(prompts ? std::move(prompts) : std::make_unique<WidgetPrompts>()),
      images_(LampImages::create())
{
    createControls();
    initialiseContents();
    connectCommands();
    addTrafficLogAction();
}

MainDialog::~MainDialog() = default;

QWidget* MainDialog::control(int id) const
{
    return findChild<QWidget*>(QString::number(id));
}

QLineEdit* MainDialog::edit(int id) const { return qobject_cast<QLineEdit*>(control(id)); }
QComboBox* MainDialog::dropDown(int id) const { return qobject_cast<QComboBox*>(control(id)); }
QPushButton* MainDialog::button(int id) const { return qobject_cast<QPushButton*>(control(id)); }
QLabel* MainDialog::label(int id) const { return qobject_cast<QLabel*>(control(id)); }
QCheckBox* MainDialog::checkBox(int id) const { return qobject_cast<QCheckBox*>(control(id)); }
QTableWidget* MainDialog::eventTable() const
{
    return qobject_cast<QTableWidget*>(control(EventTable));
}

void MainDialog::showMessage(QStringView text)
{
    prompts_->showMessage(this,
                          {QCoreApplication::applicationName(), text.toString(), QMessageBox::NoIcon});
}

void MainDialog::setLamp(int id, const QIcon& image, QStringView meaning)
{
    QLabel* lamp = label(id);
    lamp->setPixmap(image.pixmap(kLampSize, kLampSize));
    lamp->setAccessibleDescription(meaning.toString());
}

QString MainDialog::channelLampMeaning(int lamp, device::ChannelStatus status) const
{
    return label(lamp)->accessibleName() + fromDeviceText(device::channelStatusText(status));
}

void MainDialog::connectCommands()
{
    connect(button(PortButton), &QPushButton::clicked, this, &MainDialog::openClosePort);
    connectCableCommands();
    connectMonitoringCommands();
    connectAddressSearch();
    connectClockCommands();
    connectBusSettingCommands();
    connectZeroCalibrationCommands();
    connectEventLogCommands();
}

}  // namespace kt::ui
