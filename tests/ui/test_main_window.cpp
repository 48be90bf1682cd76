// The window shell: controls and their initial contents, keys, the About box, lamp pictures
// and the port tooltips, on the real main window built offscreen.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "recording_prompts.h"
#include "serial/serial_port.h"
#include "ui/about_dialog.h"
#include "ui/application_setup.h"
#include "ui/startup_directory.h"

using namespace kt::ui;

namespace {

enum class Kind { Edit, ReadOnlyEdit, DropDown, Button, CheckBox, Lamp, Text, Table };

struct Expected {
    int id;
    Kind kind;
    const char* caption;  // button and check box captions, initial static texts
};

// Every control of the window in id order, as the operator first sees it.
constexpr Expected kControls[] = {
    {1000, Kind::DropDown, ""},       {1001, Kind::DropDown, ""},
    {1002, Kind::Edit, ""},           {1003, Kind::Lamp, ""},
    {1004, Kind::Button, "打开串口"}, {1005, Kind::DropDown, ""},
    {1006, Kind::Button, "设置波特率"}, {1007, Kind::Edit, ""},
    {1008, Kind::Button, "设置地址"}, {1009, Kind::Edit, ""},
    {1010, Kind::Button, "写入"},     {1011, Kind::Button, "读取"},
    {1012, Kind::Edit, ""},           {1013, Kind::Button, "写入"},
    {1014, Kind::Button, "读取"},     {1015, Kind::Edit, ""},
    {1016, Kind::Button, "读取"},     {1017, Kind::Button, "写入"},
    {1018, Kind::Edit, ""},           {1019, Kind::Button, "读取"},
    {1020, Kind::Button, "写入"},     {1021, Kind::Edit, ""},
    {1022, Kind::Button, "读取"},     {1023, Kind::Button, "写入"},
    {1024, Kind::Edit, ""},           {1025, Kind::Button, "读取"},
    {1026, Kind::Button, "写入"},     {1027, Kind::Edit, ""},
    {1028, Kind::Edit, ""},           {1029, Kind::Edit, ""},
    {1030, Kind::Edit, ""},           {1031, Kind::Edit, ""},
    {1032, Kind::Edit, ""},           {1033, Kind::Button, "读取"},
    {1034, Kind::Button, "设置"},     {1035, Kind::Lamp, ""},
    {1036, Kind::Text, "状态"},       {1037, Kind::Edit, ""},
    {1038, Kind::Lamp, ""},           {1039, Kind::Text, "状态"},
    {1040, Kind::Edit, ""},           {1041, Kind::Button, "开始监测"},
    {1042, Kind::Edit, ""},           {1043, Kind::Text, ""},
    {1044, Kind::Text, ""},           {1045, Kind::Button, "单次监测"},
    {1046, Kind::Edit, ""},           {1047, Kind::Button, "读取条数"},
    {1048, Kind::Button, "清除日志"}, {1049, Kind::Button, "读取日志"},
    {1050, Kind::CheckBox, "保存日志"}, {1051, Kind::ReadOnlyEdit, ""},
    {1052, Kind::Table, ""},          {1053, Kind::Button, "搜索地址"},
    {1054, Kind::Text, ""},           {1055, Kind::Button, "通道A零校准"},
    {1056, Kind::Button, "通道B零校准"},
};

bool hasKind(QWidget* control, Kind kind)
{
    switch (kind) {
    case Kind::Edit: {
        auto* edit = qobject_cast<QLineEdit*>(control);
        return edit && !edit->isReadOnly();
    }
    case Kind::ReadOnlyEdit: {
        auto* edit = qobject_cast<QLineEdit*>(control);
        return edit && edit->isReadOnly();
    }
    case Kind::DropDown: {
        auto* dropDown = qobject_cast<QComboBox*>(control);
        return dropDown && dropDown->isEditable()
               && dropDown->insertPolicy() == QComboBox::NoInsert;
    }
    case Kind::Button: {
        auto* button = qobject_cast<QPushButton*>(control);
        return button && !button->autoDefault() && !button->isDefault();
    }
    case Kind::CheckBox:
        return qobject_cast<QCheckBox*>(control) != nullptr;
    case Kind::Lamp:
    case Kind::Text:
        return qobject_cast<QLabel*>(control) != nullptr;
    case Kind::Table:
        return qobject_cast<QTableWidget*>(control) != nullptr;
    }
    return false;
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

QStringList itemTexts(const QComboBox* dropDown)
{
    QStringList texts;
    for (int index = 0; index < dropDown->count(); ++index)
        texts << dropDown->itemText(index);
    return texts;
}

// The band (outer frame) a control stands in.
const QWidget* bandOf(const QWidget* control)
{
    while (control->parentWidget() && control->parentWidget()->parentWidget())
        control = control->parentWidget();
    return control;
}

QColor centreOf(const QIcon& icon)
{
    return icon.pixmap(32).toImage().pixelColor(16, 16);
}

bool isWhite(QColor colour)
{
    return colour.red() > 230 && colour.green() > 230 && colour.blue() > 230;
}

bool isRed(QColor colour)
{
    return colour.red() > 180 && colour.green() < 90 && colour.blue() < 90;
}

bool isGreen(QColor colour)
{
    return colour.green() > 120 && colour.red() < 90 && colour.blue() < 110;
}

QString expectedPortTip(int portNumber)
{
    const std::string device = kt::serial::portDevicePath(portNumber);
    return device.empty() ? QStringLiteral("未找到设备") : QString::fromStdString(device);
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    RecordedMainDialog window_;
    MainDialog& dialog() { return *window_.dialog; }

private slots:
    void initTestCase() { setUpApplication(*qApp); }
    void init() { window_ = makeRecordedMainDialog(); }
    void cleanup() { window_ = {}; }

    // --- Controls and their initial contents ---

    void everyControlHasItsKindAndCaption_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("caption");
        for (const Expected& control : kControls) {
            QTest::addRow("%d", control.id)
                << control.id << static_cast<int>(control.kind) << QString::fromUtf8(control.caption);
        }
    }

    void everyControlHasItsKindAndCaption()
    {
        QFETCH(int, id);
        QFETCH(int, kind);
        QFETCH(QString, caption);
        QWidget* control = dialog().control(id);
        QVERIFY(control);
        QVERIFY(hasKind(control, static_cast<Kind>(kind)));
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            QCOMPARE(button->text(), caption);
        if (auto* text = qobject_cast<QLabel*>(control))
            QCOMPARE(text->text(), caption);
        QVERIFY(!control->accessibleName().isEmpty());
    }

    void fieldsAreNamedByTheirLabels()
    {
        QCOMPARE(dialog().control(LengthAField)->accessibleName(), QStringLiteral("A长度："));
        QCOMPARE(dialog().control(ResistivityBField)->accessibleName(), QStringLiteral("B电阻率："));
        QCOMPARE(dialog().control(PortNumberList)->accessibleName(), QStringLiteral("串口号："));
        QCOMPARE(dialog().control(ClockMonthField)->accessibleName(), QStringLiteral("月"));
        QCOMPARE(dialog().control(PeriodField)->accessibleName(), QStringLiteral("通讯周期："));
        QCOMPARE(dialog().control(PortButton)->accessibleName(), QStringLiteral("打开串口"));
    }

    void dropDownsHoldTheirItemsInOrder()
    {
        QStringList ports;
        for (int number = 1; number <= 20; ++number)
            ports << QStringLiteral("COM%1").arg(number);
        const QStringList rates{"2400", "4800", "9600", "19200", "38400"};
        QCOMPARE(itemTexts(dialog().dropDown(PortNumberList)), ports);
        QCOMPARE(itemTexts(dialog().dropDown(PortBaudRateList)), rates);
        QCOMPARE(itemTexts(dialog().dropDown(DeviceBaudRateList)), rates);
    }

    void freshStartShowsInitialContents()
    {
        QCOMPARE(dialog().dropDown(PortNumberList)->currentText(), QStringLiteral("COM1"));
        QCOMPARE(dialog().dropDown(PortNumberList)->currentIndex(), 0);
        QCOMPARE(dialog().dropDown(PortBaudRateList)->currentText(), QStringLiteral("9600"));
        QCOMPARE(dialog().dropDown(DeviceBaudRateList)->currentText(), QStringLiteral("9600"));
        QCOMPARE(dialog().edit(StationAddressField)->text(), QStringLiteral("1"));
        QCOMPARE(dialog().edit(NewAddressField)->text(), QStringLiteral("1"));
        QCOMPARE(dialog().edit(PeriodField)->text(), QStringLiteral("500"));
        for (int field : {LengthAField, LengthBField, ResistivityAField, ResistivityBField,
                          CalibrationAField, CalibrationBField, ChannelALeakField,
                          ChannelBLeakField, LogCountField, ExportPathField})
            QVERIFY2(dialog().edit(field)->text().isEmpty(), qPrintable(QString::number(field)));
        QVERIFY(!dialog().checkBox(SaveLogCheckBox)->isChecked());
        QVERIFY(!dialog().isPortOpen());
        QVERIFY(window_.prompts->messages.empty());
    }

    void clockFieldsShowStartUpDateAndTimeWithoutLeadingZeros()
    {
        const QDateTime before = QDateTime::currentDateTime();
        init();
        const QDateTime after = QDateTime::currentDateTime();
        const int fields[] = {ClockYearField, ClockMonthField, ClockDayField,
                              ClockHourField, ClockMinuteField, ClockSecondField};
        auto partsOf = [](const QDateTime& moment) {
            return QStringList{QString::number(moment.date().year()),
                               QString::number(moment.date().month()),
                               QString::number(moment.date().day()),
                               QString::number(moment.time().hour()),
                               QString::number(moment.time().minute()),
                               QString::number(moment.time().second())};
        };
        QStringList shown;
        for (int field : fields) {
            shown << dialog().edit(field)->text();
            QCOMPARE(dialog().edit(field)->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
        }
        QVERIFY2(shown == partsOf(before) || shown == partsOf(after), qPrintable(shown.join(' ')));
    }

    void lampsShowTheirInitialPictures()
    {
        const LampImages images = LampImages::create();
        auto shows = [&](int lamp, const QIcon& icon) {
            return dialog().label(lamp)->pixmap().toImage() == icon.pixmap(kLampSize).toImage();
        };
        QVERIFY(shows(PortLamp, images.portClosedIcon));
        QVERIFY(shows(ChannelALamp, images.normalIcon));
        QVERIFY(shows(ChannelBLamp, images.normalIcon));
        QCOMPARE(dialog().label(PortLamp)->size(), QSize(kLampSize, kLampSize));
    }

    void eventTableHasFiveLeftAlignedColumnsAndNoRows()
    {
        QTableWidget* table = dialog().eventTable();
        const QStringList headings{"日志编号", "告警时间", "通道", "告警类型", "浸水点(米)"};
        const int widths[] = {60, 180, 62, 133, 134};
        QCOMPARE(table->columnCount(), 5);
        QCOMPARE(table->rowCount(), 0);
        for (int column = 0; column < 5; ++column) {
            QCOMPARE(table->horizontalHeaderItem(column)->text(), headings[column]);
            QCOMPARE(table->columnWidth(column), widths[column]);
        }
        QHeaderView* header = table->horizontalHeader();
        QCOMPARE(header->defaultAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
        QVERIFY(header->sectionsMovable());
        QVERIFY(table->showGrid());
        QVERIFY(!table->isSortingEnabled());
        QCOMPARE(table->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(table->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(table->frameShadow(), QFrame::Sunken);
    }

    void singlePollButtonIsNeverVisible()
    {
        dialog().show();
        QVERIFY(dialog().isVisible());
        QVERIFY(!dialog().button(SinglePollButton)->isVisible());
    }

    void windowIsTitledFixedAndHasNoMaximiseBox()
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
        // Showing a dialog makes its first auto-default button the default; none may be.
        for (const QPushButton* button : dialog().findChildren<QPushButton*>())
            QVERIFY2(!button->isDefault(), qPrintable(button->text()));
    }

    void bandsStandTopToBottomAndControlsLeftToRight()
    {
        dialog().show();
        auto top = [&](int id) { return bandOf(dialog().control(id))->y(); };
        const int firstOfEachBand[] = {PortNumberList, DeviceBaudRateList, LengthAField,
                                       ClockYearField, ChannelALamp, LogCountField, EventTable};
        for (std::size_t band = 1; band < std::size(firstOfEachBand); ++band)
            QVERIFY(top(firstOfEachBand[band - 1]) < top(firstOfEachBand[band]));
        QCOMPARE(dialog().control(ZeroCalibrationAButton)->parentWidget()->property("title"),
                 QVariant(QStringLiteral("零位校准")));
        QCOMPARE(bandOf(dialog().control(ZeroCalibrationAButton))->property("title"),
                 QVariant(QStringLiteral("感应线")));

        auto left = [&](int id) {
            QWidget* control = dialog().control(id);
            return control->mapTo(&dialog(), QPoint(0, 0)).x();
        };
        const QList<QList<int>> rows{
            {1000, 1001, 1002, 1003, 1004},
            {1005, 1006, 1007, 1008, 1053, 1054},
            {1009, 1011, 1010, 1055, 1056},
            {1015, 1016, 1017, 1018, 1019, 1020},
            {1027, 1028, 1029, 1030, 1031, 1032, 1033, 1034},
            {1035, 1037, 1038, 1040},
            {1042, 1043, 1044, 1041},
            {1046, 1047, 1048, 1049, 1050, 1051},
        };
        for (const QList<int>& row : rows) {
            for (qsizetype index = 1; index < row.size(); ++index)
                QVERIFY2(left(row[index - 1]) < left(row[index]), qPrintable(QString::number(row[index])));
        }
    }

    void textsAreNotClipped()
    {
        dialog().show();
        for (QWidget* widget : dialog().findChildren<QWidget*>()) {
            QString text;
            if (auto* button = qobject_cast<QAbstractButton*>(widget))
                text = button->text();
            else if (auto* label = qobject_cast<QLabel*>(widget))
                text = label->text();
            if (text.isEmpty() || !widget->isVisible())
                continue;
            QVERIFY2(widget->fontMetrics().horizontalAdvance(text) <= widget->contentsRect().width(),
                     qPrintable(text));
        }
    }

    // --- Keyboard ---

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

    void escapeEndsTheWindow()
    {
        dialog().show();
        dialog().edit(StationAddressField)->setFocus();
        QTest::keyClick(dialog().edit(StationAddressField), Qt::Key_Escape);
        QVERIFY(!dialog().isVisible());
        QCOMPARE(dialog().result(), int(QDialog::Rejected));
    }

    void enterInAFieldEndsTheWindowWhateverRuns_data()
    {
        QTest::addColumn<int>("id");
        for (int id : {StationAddressField, LengthAField, ClockYearField, ExportPathField,
                       PortNumberList, DeviceBaudRateList})
            QTest::addRow("%d", id) << id;
    }

    void enterInAFieldEndsTheWindowWhateverRuns()
    {
        QFETCH(int, id);
        dialog().show();
        // As the captions read while monitoring and a search run.
        dialog().button(MonitorButton)->setText(QStringLiteral("停止监测"));
        dialog().button(SearchButton)->setText(QStringLiteral("停止搜索"));
        QWidget* field = dialog().control(id);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY(!dialog().isVisible());
        QCOMPARE(dialog().result(), int(QDialog::Accepted));
    }

    void enterOnAFocusedButtonPressesOnlyThatButton()
    {
        dialog().show();
        QPushButton* button = dialog().button(ReadLogCountButton);
        QSignalSpy clicks(button, &QPushButton::clicked);
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Return);
        QCOMPARE(clicks.size(), 1);
        QVERIFY(dialog().isVisible());
    }

    // --- About box ---

    void aboutBoxShowsNameVersionAndIcon()
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
    }

    void aboutOkButtonClosesIt()
    {
        AboutDialog about(LampImages::create().appIcon);
        about.open();
        QVERIFY(about.isVisible());
        QVERIFY(about.isModal());
        about.okButton()->click();
        QVERIFY(!about.isVisible());
    }

    void aboutCloseBoxClosesIt()
    {
        AboutDialog about(LampImages::create().appIcon);
        about.open();
        QVERIFY(about.close());
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
                auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
                if (!about)
                    return;
                aboutTitle = about->windowTitle();
                about->okButton()->click();
            });
            menu->setActiveAction(menu->actions().constFirst());
            QTest::keyClick(menu, Qt::Key_Return);
        });
        const QPoint inside(4, 4);
        QContextMenuEvent event(QContextMenuEvent::Mouse, inside, dialog().mapToGlobal(inside));
        QApplication::sendEvent(&dialog(), &event);
        QCOMPARE(entries, QStringList{QStringLiteral("关于 KT_5270(&A)...")});
        QCOMPARE(aboutTitle, QStringLiteral("关于 KT_5270"));
        QVERIFY(dialog().isVisible());
    }

    // --- Lamp pictures ---

    void lampPicturesExistAtBothSizes()
    {
        const LampImages images = LampImages::create();
        for (const QIcon* icon : {&images.appIcon, &images.portOpenIcon, &images.portClosedIcon,
                                  &images.normalIcon, &images.leakIcon, &images.breakIcon}) {
            const QList<QSize> sizes = icon->availableSizes();
            QVERIFY(sizes.contains(QSize(32, 32)));
            QVERIFY(sizes.contains(QSize(16, 16)));
        }
    }

    void lampPicturesHaveTheirColours()
    {
        const LampImages images = LampImages::create();
        QVERIFY(isGreen(centreOf(images.normalIcon)));
        QVERIFY(isRed(centreOf(images.leakIcon)));
        QVERIFY(centreOf(images.portClosedIcon).lightness() < 90);
        QVERIFY(isRed(centreOf(images.portOpenIcon)));

        const QImage broken = images.breakIcon.pixmap(32).toImage();
        QVERIFY(isRed(broken.pixelColor(16, 16)));     // where the cross meets
        QVERIFY(isWhite(broken.pixelColor(16, 8)));    // between its arms
        QCOMPARE(broken.pixelColor(0, 0).alpha(), 0);  // outside the disc

        // The lit lamp's rays reach beyond the dark lamp's glass.
        const QImage lit = images.portOpenIcon.pixmap(32).toImage();
        const QImage dark = images.portClosedIcon.pixmap(32).toImage();
        QVERIFY(lit.pixelColor(29, 16).alpha() > 0);
        QCOMPARE(dark.pixelColor(29, 16).alpha(), 0);
    }

    // --- Port tooltips ---

    void portTooltipsFollowTheDeviceOverride()
    {
        auto* ports = dialog().dropDown(PortNumberList);
        const QByteArray variable = "KT5270_COM3";
        qputenv(variable, "/dev/kt-test-port");
        ports->showPopup();
        ports->hidePopup();
        QCOMPARE(ports->itemText(2), QStringLiteral("COM3"));
        QCOMPARE(ports->itemData(2, Qt::ToolTipRole).toString(), QStringLiteral("/dev/kt-test-port"));

        qunsetenv(variable);
        ports->showPopup();
        ports->hidePopup();
        for (int index = 0; index < ports->count(); ++index)
            QCOMPARE(ports->itemData(index, Qt::ToolTipRole).toString(), expectedPortTip(index + 1));
    }

    // --- Application set-up ---

    void standardButtonsReadChinese()
    {
        const QString catalogue = QLibraryInfo::path(QLibraryInfo::TranslationsPath)
                                  + QStringLiteral("/qtbase_zh_CN.qm");
        if (!QFile::exists(catalogue))
            QSKIP("Qt's Simplified Chinese catalogue is not installed");
        QDialogButtonBox buttons(QDialogButtonBox::Ok);
        QCOMPARE(buttons.button(QDialogButtonBox::Ok)->text(), QStringLiteral("确定"));
    }

    void fontRendersChineseAtNinePoints()
    {
        const QFont font = consoleFont();
        QCOMPARE(font.pointSize(), 9);
        const QFontMetrics metrics(font);
        for (char32_t character : U"串口号浸水点")
            if (character != 0)
                QVERIFY(metrics.inFontUcs4(character));
    }

    void startupDirectoryKeepsItsFirstValue()
    {
        const QString first = startupDirectory();
        QVERIFY(!first.isEmpty());
        const QString original = QDir::currentPath();
        QTemporaryDir elsewhere;
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        QCOMPARE(startupDirectory(), first);
        QVERIFY(QDir::setCurrent(original));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
