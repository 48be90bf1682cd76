#pragma once

#include <QPushButton>
#include <QTest>
#include <initializer_list>

#include "console_fixture.h"

// Every one of `buttons` refuses, and sends nothing, with no port open (saying
// `portClosedText`), while monitoring or a search runs, and with a station address out of
// range. Ends with the port open.
inline void checkCommandGuards(ConsoleFixture& console, std::initializer_list<int> buttons,
                               const QString& portClosedText = QStringLiteral("请先打开串口!!!"))
{
    for (int button : buttons) {
        console.click(button);
        QCOMPARE(console.takeMessage(), portClosedText);
    }
    console.openPort();
    struct Busy {
        int button;
        const char* caption;  // while its worker has the port
        const char* refusal;
    };
    for (const Busy& busy : {Busy{kt::ui::MonitorButton, "停止监测", "请先停止监测!!!"},
                             Busy{kt::ui::SearchButton, "停止搜索", "请先停止搜索!!!"}}) {
        QPushButton* busyButton = console.dialog->button(busy.button);
        const QString idleCaption = busyButton->text();
        busyButton->setText(QString::fromUtf8(busy.caption));
        for (int button : buttons) {
            console.click(button);
            QCOMPARE(console.takeMessage(), QString::fromUtf8(busy.refusal));
        }
        busyButton->setText(idleCaption);
    }
    for (const char* refused : {"256", "-1"}) {
        console.setText(kt::ui::StationAddressField, QString::fromLatin1(refused));
        for (int button : buttons) {
            console.click(button);
            QCOMPARE(console.takeMessage(), QStringLiteral("地址范围是0~255，请重新输入!!!"));
        }
    }
    QVERIFY(console.takeFrames().empty());
}
