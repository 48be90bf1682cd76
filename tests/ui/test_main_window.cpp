// The window shell: controls and their initial contents, layout, keys, the About box, lamp
// pictures and the port tooltips, on the real main window built offscreen.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "recording_prompts.h"
#include "serial/serial_port.h"
#include "ui/about_dialog.h"
#include "ui/application_setup.h"

using namespace kt::ui;

namespace {

enum class Kind { Edit, CentredEdit, ReadOnlyEdit, DropDown, Button, CheckBox, Lamp, Text, Table };

struct Expected {
    int id;
    Kind kind;
    const char* text;  // caption, initial text or selected item; centred edits hold the time
};

// Every control of the window in id order, as the operator first sees it.
constexpr Expected kControls[] = {
    {1000, Kind::DropDown, "COM1"},      {1001, Kind::DropDown, "9600"},
    {1002, Kind::Edit, "1"},             {1003, Kind::Lamp, ""},
    {1004, Kind::Button, "打开串口"},    {1005, Kind::DropDown, "9600"},
    {1006, Kind::Button, "设置波特率"},  {1007, Kind::Edit, "1"},
    {1008, Kind::Button, "设置地址"},    {1009, Kind::Edit, ""},
    {1010, Kind::Button, "写入"},        {1011, Kind::Button, "读取"},
    {1012, Kind::Edit, ""},              {1013, Kind::Button, "写入"},
    {1014, Kind::Button, "读取"},        {1015, Kind::Edit, ""},
    {1016, Kind::Button, "读取"},        {1017, Kind::Button, "写入"},
    {1018, Kind::Edit, ""},              {1019, Kind::Button, "读取"},
    {1020, Kind::Button, "写入"},        {1021, Kind::Edit, ""},
    {1022, Kind::Button, "读取"},        {1023, Kind::Button, "写入"},
    {1024, Kind::Edit, ""},              {1025, Kind::Button, "读取"},
    {1026, Kind::Button, "写入"},        {1027, Kind::CentredEdit, ""},
    {1028, Kind::CentredEdit, ""},       {1029, Kind::CentredEdit, ""},
    {1030, Kind::CentredEdit, ""},       {1031, Kind::CentredEdit, ""},
    {1032, Kind::CentredEdit, ""},       {1033, Kind::Button, "读取"},
    {1034, Kind::Button, "设置"},        {1035, Kind::Lamp, ""},
    {1036, Kind::Text, "状态"},          {1037, Kind::Edit, ""},
    {1038, Kind::Lamp, ""},              {1039, Kind::Text, "状态"},
    {1040, Kind::Edit, ""},              {1041, Kind::Button, "开始监测"},
    {1042, Kind::Edit, "500"},           {1043, Kind::Text, ""},
    {1044, Kind::Text, ""},              {1045, Kind::Button, "单次监测"},
    {1046, Kind::Edit, ""},              {1047, Kind::Button, "读取条数"},
    {1048, Kind::Button, "清除日志"},    {1049, Kind::Button, "读取日志"},
    {1050, Kind::CheckBox, "保存日志"},  {1051, Kind::ReadOnlyEdit, ""},
    {1052, Kind::Table, ""},             {1053, Kind::Button, "搜索地址"},
    {1054, Kind::Text, ""},              {1055, Kind::Button, "通道A零校准"},
    {1056, Kind::Button, "通道B零校准"},
};

bool hasKind(QWidget* control, Kind kind)
{
    auto* edit = qobject_cast<QLineEdit*>(control);
    auto* button = qobject_cast<QPushButton*>(control);
    auto* dropDown = qobject_cast<QComboBox*>(control);
    switch (kind) {
    case Kind::Edit:
    case Kind::CentredEdit:
        return edit && !edit->isReadOnly() && bool(edit->alignment() & Qt::AlignHCenter) == (kind == Kind::CentredEdit);
    case Kind::ReadOnlyEdit:
        return edit && edit->isReadOnly();
    case Kind::DropDown:
        return dropDown && dropDown->isEditable() && dropDown->insertPolicy() == QComboBox::NoInsert;
    case Kind::Button:
        return button && !button->autoDefault() && !button->isDefault();
    case Kind::CheckBox:
        return qobject_cast<QCheckBox*>(control) && !qobject_cast<QCheckBox*>(control)->isChecked();
    case Kind::Lamp:
    case Kind::Text:
        return qobject_cast<QLabel*>(control) != nullptr;
    case Kind::Table:
        return qobject_cast<QTableWidget*>(control) != nullptr;
    }
    return false;
}

// What the control shows as its text: a caption, a field's text or a drop-down's choice.
QString shownText(QWidget* control)
{
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text();
    auto* dropDown = qobject_cast<QComboBox*>(control);
    return dropDown ? dropDown->itemText(dropDown->currentIndex()) : QString();
}

// Ids the keyboard focus visits, in the order it visits them.
QList<int> focusableIds()
{
    QList<int> ids;
    for (const Expected& control : kControls) {
        const bool takesFocus = control.kind != Kind::Lamp && control.kind != Kind::Text;
        if (takesFocus && control.id != SinglePollButton)
            ids << control.id;
    }
    return ids;
}

// The id of the control owning `widget` (a drop-down's text part belongs to the drop-down).
int owningId(const QWidget* widget)
{
    for (; widget; widget = widget->parentWidget()) {
        bool isId = false;
        const int id = widget->objectName().toInt(&isId);
        if (isId)
            return id;
    }
    return 0;
}

// The band (outer frame) a control stands in.
const QWidget* bandOf(const QWidget* control)
{
    while (control->parentWidget() && control->parentWidget()->parentWidget())
        control = control->parentWidget();
    return control;
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    RecordedMainDialog window_;
    MainDialog& dialog() { return *window_.dialog; }

private slots:
    void initTestCase() { setUpApplication(*qApp); }
    void init() { window_ = makeRecordedMainDialog(); }
    void cleanup() { window_ = {}; }

    void everyControlStartsWithItsKindAndText_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        for (const Expected& control : kControls)
            QTest::addRow("%d", control.id) << control.id << int(control.kind) << QString::fromUtf8(control.text);
    }
    void everyControlStartsWithItsKindAndText()
    {
        QFETCH(int, id);
        QFETCH(int, kind);
        QFETCH(QString, text);
        QWidget* control = dialog().control(id);
        QVERIFY(control);
        QVERIFY(hasKind(control, Kind(kind)));
        if (Kind(kind) != Kind::CentredEdit)
            QCOMPARE(shownText(control), text);
    }

    void freshStartShowsTheStartUpTimeWithNothingOpen()
    {
        const auto moment = [] { return QDateTime::currentDateTime().toString("yyyy M d H m s"); };
        const QString before = moment();
        init();
        const QString after = moment();
        QStringList shown;
        for (int field = ClockYearField; field <= ClockSecondField; ++field)
            shown << dialog().edit(field)->text();
        QVERIFY2(shown.join(' ') == before || shown.join(' ') == after, qPrintable(shown.join(' ')));
        QVERIFY(!dialog().isPortOpen());
        QVERIFY(window_.prompts->messages.empty());
    }

    void listsHoldTheirItemsAndColumns()
    {
        QStringList ports;
        for (int number = 1; number <= 20; ++number)
            ports << QStringLiteral("COM%1").arg(number);
        const QStringList rates{"2400", "4800", "9600", "19200", "38400"};
        for (const auto& [id, items] : {std::pair{PortNumberList, ports}, {PortBaudRateList, rates},
                                        {DeviceBaudRateList, rates}}) {
            QStringList texts;
            for (int index = 0; index < dialog().dropDown(id)->count(); ++index)
                texts << dialog().dropDown(id)->itemText(index);
            QCOMPARE(texts, items);
        }

        QTableWidget* table = dialog().eventTable();
        const QStringList headings{"日志编号", "告警时间", "通道", "告警类型", "浸水点(米)"};
        const int widths[] = {60, 180, 62, 133, 134};
        QCOMPARE(table->columnCount(), 5);
        QCOMPARE(table->rowCount(), 0);
        for (int column = 0; column < 5; ++column) {
            QCOMPARE(table->horizontalHeaderItem(column)->text(), headings[column]);
            QCOMPARE(table->columnWidth(column), widths[column]);
        }
        QCOMPARE(table->horizontalHeader()->defaultAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
        QVERIFY(table->horizontalHeader()->sectionsMovable());
        QVERIFY(table->showGrid());
        QVERIFY(!table->isSortingEnabled());
        QCOMPARE(table->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(table->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(table->frameShadow(), QFrame::Sunken);
    }

    void shownWindowIsFixedAndLaidOutInBands()
    {
        dialog().show();
        QCOMPARE(dialog().windowTitle(), QStringLiteral("KT_5270"));
        QVERIFY(!dialog().windowIcon().isNull());
        QCOMPARE(dialog().minimumSize(), dialog().maximumSize());
        QCOMPARE(dialog().size(), dialog().minimumSize());
        const Qt::WindowFlags flags = dialog().windowFlags();
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(flags & Qt::WindowMinimizeButtonHint);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!dialog().button(SinglePollButton)->isVisible());

        auto top = [&](int id) { return bandOf(dialog().control(id))->y(); };
        const int firstOfEachBand[] = {PortNumberList, DeviceBaudRateList, LengthAField, ClockYearField,
                                       ChannelALamp,   LogCountField,      EventTable};
        for (std::size_t band = 1; band < std::size(firstOfEachBand); ++band)
            QVERIFY(top(firstOfEachBand[band - 1]) < top(firstOfEachBand[band]));
        QCOMPARE(dialog().control(ZeroCalibrationAButton)->parentWidget()->property("title"),
                 QVariant(QStringLiteral("零位校准")));
        QCOMPARE(bandOf(dialog().control(ZeroCalibrationAButton))->property("title"), QVariant(QStringLiteral("感应线")));
        auto left = [&](int id) { return dialog().control(id)->mapTo(&dialog(), QPoint(0, 0)).x(); };
        const QList<QList<int>> rows{
            {1000, 1001, 1002, 1003, 1004}, {1005, 1006, 1007, 1008, 1053, 1054},
            {1009, 1011, 1010, 1055, 1056}, {1015, 1016, 1017, 1018, 1019, 1020},
            {1027, 1028, 1029, 1030, 1031, 1032, 1033, 1034}, {1035, 1037, 1038, 1040},
            {1042, 1043, 1044, 1041}, {1046, 1047, 1048, 1049, 1050, 1051},
        };
        for (const QList<int>& row : rows) {
            for (qsizetype index = 1; index < row.size(); ++index)
                QVERIFY2(left(row[index - 1]) < left(row[index]), qPrintable(QString::number(row[index])));
        }

        // Showing a dialog makes its first auto-default button the default; none may be. And no
        // caption or label may be cut off.
        for (QWidget* widget : dialog().findChildren<QWidget*>()) {
            if (auto* button = qobject_cast<QPushButton*>(widget))
                QVERIFY2(!button->isDefault(), qPrintable(button->text()));
            const bool captioned = qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLabel*>(widget);
            const QString text = captioned ? shownText(widget) : QString();
            if (!text.isEmpty() && widget->isVisible())
                QVERIFY2(widget->fontMetrics().horizontalAdvance(text) <= widget->contentsRect().width(), qPrintable(text));
        }
    }

    void focusStartsAtPortListAndMovesInIdOrder()
    {
        dialog().show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog()));
        QCOMPARE(owningId(QApplication::focusWidget()), int(PortNumberList));
        QList<int> visited;
        for (qsizetype step = 0; step < focusableIds().size(); ++step) {
            visited << owningId(QApplication::focusWidget());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(visited, focusableIds());
        QCOMPARE(owningId(QApplication::focusWidget()), int(PortNumberList));
    }

    void keysEndTheWindowOrPressTheFocusedButton_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");  // how the window ends; -1: it stays, the button pressed once
        QTest::newRow("Esc") << int(StationAddressField) << int(Qt::Key_Escape) << int(QDialog::Rejected);
        for (int id : {StationAddressField, LengthAField, ClockYearField, ExportPathField, PortNumberList,
                       DeviceBaudRateList})
            QTest::addRow("Enter in %d", id) << id << int(Qt::Key_Return) << int(QDialog::Accepted);
        QTest::newRow("Enter on a button") << int(ReadLogCountButton) << int(Qt::Key_Return) << -1;
    }
    void keysEndTheWindowOrPressTheFocusedButton()
    {
        QFETCH(int, id);
        QFETCH(int, key);
        QFETCH(int, result);
        dialog().show();
        // As the captions read while monitoring and a search run.
        dialog().button(MonitorButton)->setText(QStringLiteral("停止监测"));
        dialog().button(SearchButton)->setText(QStringLiteral("停止搜索"));
        QWidget* control = dialog().control(id);
        int clicks = 0;
        if (auto* button = qobject_cast<QPushButton*>(control))
            connect(button, &QPushButton::clicked, this, [&clicks] { ++clicks; });
        control->setFocus();
        QTest::keyClick(control, Qt::Key(key));
        QCOMPARE(dialog().isVisible(), result < 0);
        if (result < 0)
            QCOMPARE(clicks, 1);
        else
            QCOMPARE(dialog().result(), result);
    }

    void aboutBoxShowsNameVersionAndIconAndCloses()
    {
        AboutDialog about(LampImages::create().appIcon);
        QCOMPARE(about.windowTitle(), QStringLiteral("关于 KT_5270"));
        QStringList texts;
        bool hasIcon = false;
        for (QLabel* label : about.findChildren<QLabel*>()) {
            texts << label->text();
            hasIcon = hasIcon || !label->pixmap().isNull();
        }
        QVERIFY(texts.contains(QStringLiteral("KT_5270 1.0 版")));
        QVERIFY(hasIcon);
        QCOMPARE(about.okButton()->text(), QStringLiteral("确定"));
        QVERIFY(about.okButton()->isDefault());

        about.open();
        QVERIFY(about.isVisible() && about.isModal());
        about.okButton()->click();
        QVERIFY(!about.isVisible());
        about.open();
        QVERIFY(about.close());  // the close box
        QVERIFY(!about.isVisible());
    }

    void contextMenuOffersAboutWhichOpensTheAboutBox()
    {
        dialog().show();
        QStringList entries;
        QString aboutTitle;
        // The menu and the About box each run their own loop; answer them from inside.
        QTimer::singleShot(0, this, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction* action : menu->actions())
                entries << action->text();
            QTimer::singleShot(0, this, [&] {
                if (auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget())) {
                    aboutTitle = about->windowTitle();
                    about->okButton()->click();
                }
            });
            menu->setActiveAction(menu->actions().constFirst());
            QTest::keyClick(menu, Qt::Key_Return);
        });
        const QPoint inside(4, 4);
        QContextMenuEvent event(QContextMenuEvent::Mouse, inside, dialog().mapToGlobal(inside));
        QApplication::sendEvent(&dialog(), &event);
        QCOMPARE(entries, (QStringList{QStringLiteral("关于 KT_5270(&A)..."), QStringLiteral("通讯记录(&L)...")}));
        QCOMPARE(aboutTitle, QStringLiteral("关于 KT_5270"));
        QVERIFY(dialog().isVisible());
    }

    void lampPicturesHaveTheirSizesAndColours()
    {
        const LampImages images = LampImages::create();
        for (const QIcon* icon : {&images.appIcon, &images.portOpenIcon, &images.portClosedIcon, &images.normalIcon,
                                  &images.leakIcon, &images.breakIcon}) {
            QVERIFY(icon->availableSizes().contains(QSize(32, 32)));
            QVERIFY(icon->availableSizes().contains(QSize(16, 16)));
        }
        const auto shows = [&](int lamp, const QIcon& icon) {
            return dialog().label(lamp)->pixmap().toImage() == icon.pixmap(kLampSize).toImage();
        };
        QVERIFY(shows(PortLamp, images.portClosedIcon));
        QVERIFY(shows(ChannelALamp, images.normalIcon));
        QVERIFY(shows(ChannelBLamp, images.normalIcon));
        QCOMPARE(dialog().label(PortLamp)->size(), QSize(kLampSize, kLampSize));

        const auto pixel = [](const QIcon& icon, int x, int y) { return icon.pixmap(32).toImage().pixelColor(x, y); };
        const auto isRed = [](QColor c) { return c.red() > 180 && c.green() < 90 && c.blue() < 90; };
        const QColor normal = pixel(images.normalIcon, 16, 16);
        QVERIFY(normal.green() > 120 && normal.red() < 90 && normal.blue() < 110);
        QVERIFY(isRed(pixel(images.leakIcon, 16, 16)));
        QVERIFY(pixel(images.portClosedIcon, 16, 16).lightness() < 90);
        QVERIFY(isRed(pixel(images.portOpenIcon, 16, 16)));
        // The cross: red where it meets, white between its arms, nothing outside the disc.
        QVERIFY(isRed(pixel(images.breakIcon, 16, 16)));
        const QColor between = pixel(images.breakIcon, 16, 8);
        QVERIFY(between.red() > 230 && between.green() > 230 && between.blue() > 230);
        QCOMPARE(pixel(images.breakIcon, 0, 0).alpha(), 0);
        // The lit lamp's rays reach beyond the dark lamp's glass.
        QVERIFY(pixel(images.portOpenIcon, 29, 16).alpha() > 0);
        QCOMPARE(pixel(images.portClosedIcon, 29, 16).alpha(), 0);
    }

    void portTooltipsFollowTheDeviceOverride()
    {
        auto* ports = dialog().dropDown(PortNumberList);
        qputenv("KT5270_COM3", "/dev/kt-test-port");
        ports->showPopup();
        ports->hidePopup();
        QCOMPARE(ports->itemData(2, Qt::ToolTipRole).toString(), QStringLiteral("/dev/kt-test-port"));

        qunsetenv("KT5270_COM3");
        ports->showPopup();
        ports->hidePopup();
        for (int index = 0; index < ports->count(); ++index) {
            const std::string device = kt::serial::portDevicePath(index + 1);
            QCOMPARE(ports->itemData(index, Qt::ToolTipRole).toString(),
                     device.empty() ? QStringLiteral("未找到设备") : QString::fromStdString(device));
        }
    }

    void chineseFontAndStandardButtons()
    {
        const QFont font = consoleFont();
        QCOMPARE(font.pointSize(), 9);
        const QFontMetrics metrics(font);
        for (char32_t character : U"串口号浸水点")
            QVERIFY(character == 0 || metrics.inFontUcs4(character));

        const QString catalogue = QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_zh_CN.qm");
        if (!QFile::exists(catalogue))
            QSKIP("Qt's Simplified Chinese catalogue is not installed");
        QDialogButtonBox buttons(QDialogButtonBox::Ok);
        QCOMPARE(buttons.button(QDialogButtonBox::Ok)->text(), QStringLiteral("确定"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
