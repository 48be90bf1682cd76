// The main window's controls: six framed bands from top to bottom, then the event table.
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

#include "ui/cable_controls.h"
#include "ui/channel_controls.h"
#include "ui/clock_controls.h"
#include "ui/control_factory.h"
#include "ui/main_dialog.h"

namespace kt::ui {
namespace {

using K = ControlKind;

constexpr int kAddressDigits = 4;
constexpr int kMetresDigits = 8;
constexpr int kCounterDigits = 6;

constexpr ControlDescription kPortBand[] = {
    {K::Label, 0, "串口号："},
    {K::PortList, PortNumberList},
    {K::Label, 0, "波特率："},
    {K::RateList, PortBaudRateList},
    {K::Label, 0, "地址："},
    {K::Edit, StationAddressField, "", kAddressDigits},
    {K::Lamp, PortLamp, "", 0, "串口状态"},
    {K::Button, PortButton, "打开串口"},
};

constexpr ControlDescription kBusSettingsBand[] = {
    {K::Label, 0, "波特率："},
    {K::RateList, DeviceBaudRateList},
    {K::Button, SetDeviceBaudRateButton, "设置波特率"},
    {K::Label, 0, "地址："},
    {K::Edit, NewAddressField, "", kAddressDigits},
    {K::Button, SetDeviceAddressButton, "设置地址"},
    {K::Button, SearchButton, "搜索地址"},
    {K::Text, SearchResultText, "", 0, "搜索结果"},
};

constexpr int kColumnsPerParameter = 5;

constexpr ControlDescription kZeroCalibrationButtons[] = {
    {K::Button, ZeroCalibrationAButton, "通道A零校准"},
    {K::Button, ZeroCalibrationBButton, "通道B零校准"},
};

constexpr ControlDescription kClockButtons[] = {
    {K::Button, ReadClockButton, "读取"},
    {K::Button, SetClockButton, "设置"},
};

constexpr ControlDescription kMonitorRow[] = {
    {K::Label, 0, "通讯周期："},
    {K::Edit, PeriodField, "", 6},
    {K::Unit, 0, "ms"},
    {K::Label, 0, "成功次数："},
    {K::Text, SuccessCountText, "", kCounterDigits},
    {K::Unit, 0, "次"},
    {K::Label, 0, "失败次数："},
    {K::Text, FailureCountText, "", kCounterDigits},
    {K::Unit, 0, "次"},
    {K::Button, MonitorButton, "开始监测"},
    {K::Button, SinglePollButton, "单次监测"},
};

constexpr ControlDescription kLogBand[] = {
    {K::Label, 0, "日志数量："},
    {K::Edit, LogCountField, "", 5},
    {K::Unit, 0, "条"},
    {K::Button, ReadLogCountButton, "读取条数"},
    {K::Button, ClearLogButton, "清除日志"},
    {K::Button, ReadLogButton, "读取日志"},
    {K::CheckBox, SaveLogCheckBox, "保存日志"},
    {K::ReadOnlyEdit, ExportPathField, "", 0, "日志文件路径"},
};

struct EventColumn {
    const char* heading;
    int width;
};

constexpr EventColumn kEventColumns[] = {
    {"日志编号", 60}, {"告警时间", 180}, {"通道", 62}, {"告警类型", 133}, {"浸水点(米)", 134},
};
constexpr int kVisibleEventRows = 6;

QGroupBox* createBand(const char* title, QWidget* parent)
{
    return new QGroupBox(QString::fromUtf8(title), parent);
}

template <typename Layout>
Layout* compact(Layout* layout)
{
    layout->setContentsMargins(8, 4, 8, 6);
    layout->setSpacing(6);
    return layout;
}

// A band of one row of controls; the room left goes to its stretching control, if any,
// otherwise to the right end.
QGroupBox* createRowBand(std::span<const ControlDescription> descriptions, QWidget* parent)
{
    QGroupBox* band = createBand("", parent);
    auto* row = compact(new QHBoxLayout(band));
    addControls(*row, descriptions, band);
    if (std::ranges::none_of(descriptions, stretches))
        row->addStretch();
    return band;
}

QGroupBox* createZeroCalibrationFrame(QWidget* parent)
{
    QGroupBox* frame = createBand("零位校准", parent);
    auto* row = compact(new QHBoxLayout(frame));
    addControls(*row, kZeroCalibrationButtons, frame);
    return frame;
}

QGroupBox* createCableBand(QWidget* parent)
{
    QGroupBox* band = createBand("感应线", parent);
    auto* grid = compact(new QGridLayout(band));
    for (const CableControls& parameter : kCableControls) {
        const ControlDescription descriptions[] = {
            {K::Label, 0, parameter.label},
            {K::Edit, parameter.field, "", kMetresDigits},
            {K::Unit, 0, parameter.unit},
            {K::Button, parameter.readButton, "读取"},
            {K::Button, parameter.writeButton, "写入"},
        };
        int column = parameter.half * kColumnsPerParameter;
        addControls(descriptions, band, [&](QWidget* control) {
            grid->addWidget(control, parameter.row, column++);
        });
    }
    // To the right of the two length rows.
    grid->addWidget(createZeroCalibrationFrame(band), 0, kColumnsPerParameter, 2,
                    kColumnsPerParameter, Qt::AlignLeft | Qt::AlignVCenter);
    grid->setColumnStretch(2 * kColumnsPerParameter, 1);
    return band;
}

QGroupBox* createClockBand(QWidget* parent)
{
    std::vector<ControlDescription> descriptions{{K::Label, 0, "时间："}};
    for (const ClockControl& part : kClockControls) {
        descriptions.push_back({K::CentredEdit, part.fieldId, "", part.digits, part.unit});
        descriptions.push_back({K::Unit, 0, part.unit});
    }
    descriptions.insert(descriptions.end(), std::begin(kClockButtons), std::end(kClockButtons));
    return createRowBand(descriptions, parent);
}

// A channel's lamp with its state text centred under it.
QVBoxLayout* createLampWithState(const ChannelControls& channel, QWidget* parent)
{
    const ControlDescription descriptions[] = {
        {K::Lamp, channel.lamp, "", 0, channel.title},
        {K::Text, channel.stateText, "", 0, channel.title},
    };
    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    addControls(descriptions, parent, [column](QWidget* control) {
        column->addWidget(control, 0, Qt::AlignHCenter);
    });
    return column;
}

QGroupBox* createMonitorBand(QWidget* parent)
{
    QGroupBox* band = createBand("", parent);
    auto* rows = compact(new QVBoxLayout(band));

    auto* channels = new QHBoxLayout;
    for (const ChannelControls& channel : kChannelControls) {
        addControls(*channels, std::array{ControlDescription{K::Label, 0, channel.title}}, band);
        channels->addLayout(createLampWithState(channel, band));
        channels->addSpacing(12);
        const ControlDescription leak[] = {
            {K::Label, 0, "浸水点："},
            {K::Edit, channel.leakField, "", kMetresDigits},
            {K::Unit, 0, "米"},
        };
        addControls(*channels, leak, band);
        channels->addStretch();
    }
    rows->addLayout(channels);

    auto* counters = new QHBoxLayout;
    addControls(*counters, kMonitorRow, band);
    counters->addStretch();
    rows->addLayout(counters);
    return band;
}

QTableWidget* createEventTable(QWidget* parent)
{
    auto* table = new QTableWidget(0, std::ssize(kEventColumns), parent);
    table->setObjectName(QString::number(EventTable));
    table->setAccessibleName(QStringLiteral("日志列表"));
    QStringList headings;
    for (const EventColumn& column : kEventColumns)
        headings << QString::fromUtf8(column.heading);
    table->setHorizontalHeaderLabels(headings);
    for (int column = 0; column < std::ssize(kEventColumns); ++column)
        table->setColumnWidth(column, kEventColumns[column].width);

    QHeaderView* header = table->horizontalHeader();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionsMovable(true);
    header->setHighlightSections(false);
    table->verticalHeader()->hide();
    table->setShowGrid(true);
    table->setSortingEnabled(false);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the table for the next control instead of walking its cells.
    table->setTabKeyNavigation(false);
    table->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    // Rows as compact as a list: one line of text each.
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setFixedHeight(header->sizeHint().height()
                          + kVisibleEventRows * table->verticalHeader()->defaultSectionSize()
                          + 2 * table->frameWidth());
    return table;
}

}  // namespace

void MainDialog::createControls()
{
    setWindowTitle(QStringLiteral("KT_5270"));
    // A fixed window that can be minimised but not maximised.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    auto* window = new QVBoxLayout(this);
    window->setSizeConstraint(QLayout::SetFixedSize);
    window->setContentsMargins(8, 6, 8, 8);
    window->setSpacing(4);
    window->addWidget(createRowBand(kPortBand, this));
    window->addWidget(createRowBand(kBusSettingsBand, this));
    window->addWidget(createCableBand(this));
    window->addWidget(createClockBand(this));
    window->addWidget(createMonitorBand(this));
    window->addWidget(createRowBand(kLogBand, this));
    window->addWidget(createEventTable(this));

    // Part of the layout for its handler, but never offered to the operator.
    control(SinglePollButton)->hide();

    // Focus moves through the controls in ascending id order; labels and lamps take none.
    QWidget* previous = nullptr;
    for (int id = PortNumberList; id <= ZeroCalibrationBButton; ++id) {
        QWidget* next = control(id);
        if (!(next->focusPolicy() & Qt::TabFocus))
            continue;
        if (previous)
            setTabOrder(previous, next);
        previous = next;
    }
}

}  // namespace kt::ui
