// The save-log box and the export file: the save dialog it asks for, what a download appends,
// and what the operator is told when the file cannot take the lines.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "event_log_support.h"
#include "ui/log_export.h"
#include "ui/startup_directory.h"

using namespace kt::ui;
using kt::sim::Fault;
using kt::sim::FaultRule;
using kt::sim::Function;

namespace {

const QString kSaveFailed = QStringLiteral("保存日志失败!!!");

// Runs `answer` on the first modal window of type Window once it shows, from inside its own
// modal loop; a window that never shows is given up after a few seconds.
template <typename Window>
void answerWhenShown(std::function<void(Window*)> answer)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer, polls = 0]() mutable {
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (!window && ++polls < 500)
            return;
        poll->stop();
        poll->deleteLater();
        if (window)
            answer(window);
    });
    poll->start(10);
}

// Types `name` into the dialog's file name box, as the operator does. (Selecting it through
// the dialog leaves the box as it was whenever the box has the focus.)
void typeFileName(QFileDialog* dialog, const QString& name)
{
    auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(box);
    box->setText(name);
}

QString fileDialogAnswer(const SaveFileRequest& request, std::function<void(QFileDialog*)> answer)
{
    answerWhenShown<QFileDialog>(std::move(answer));
    WidgetPrompts prompts;
    return prompts.chooseSaveFile(nullptr, request);
}

}  // namespace

class LogExportTest : public QObject {
    Q_OBJECT

private slots:
    void defaultNameJoinsWithOneSeparator_data()
    {
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("path");
        QTest::newRow("folder") << "/home/operator" << "/home/operator/KT_5270.txt";
        QTest::newRow("root") << "/" << "/KT_5270.txt";
        QTest::newRow("folder with separator") << "/home/operator/" << "/home/operator/KT_5270.txt";
    }
    void defaultNameJoinsWithOneSeparator()
    {
        QFETCH(QString, directory);
        QFETCH(QString, path);
        QCOMPARE(defaultExportPath(QDir::toNativeSeparators(directory)), QDir::toNativeSeparators(path));
    }

    // Neither the current directory nor the file chosen before moves the proposed file;
    // cancelling unticks the box and empties the path.
    void tickingAsksForTheFileInTheStartupDirectory()
    {
        ConsoleFixture console;
        QTemporaryDir elsewhere;
        const QString original = QDir::currentPath();
        for (const QString& chosen : {QStringLiteral("/tmp/first.txt"), QStringLiteral("/tmp/second.txt")}) {
            chooseExportFile(console, chosen);
            QCOMPARE(console.text(ExportPathField), QDir::toNativeSeparators(chosen));
            console.dialog->checkBox(SaveLogCheckBox)->click();  // untick
            QVERIFY(QDir::setCurrent(elsewhere.path()));
        }
        QVERIFY(QDir::setCurrent(original));
        console.prompts->saveAnswer.clear();
        console.dialog->checkBox(SaveLogCheckBox)->click();
        QVERIFY(!console.dialog->checkBox(SaveLogCheckBox)->isChecked());
        QCOMPARE(console.text(ExportPathField), QString());

        QCOMPARE(console.prompts->saveRequests.size(), std::size_t(3));
        for (const SaveFileRequest& request : console.prompts->saveRequests) {
            QCOMPARE(request.initialPath, defaultExportPath(startupDirectory()));
            QCOMPARE(request.filter, QStringLiteral("文本文件 (*.txt)"));
            QCOMPARE(request.defaultSuffix, QStringLiteral("txt"));
        }
        QCOMPARE(console.takeMessage(), QString());
    }

    // An unticked box keeps the path but exports nothing; once ticked, downloads append.
    void downloadsAppendToWhatTheFileHolds()
    {
        ConsoleFixture console;
        console.openPort();
        holdNumberedRecords(console, 3);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("events.txt"));
        const QByteArray kept = "an earlier line\r\n";
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(kept);
        }
        chooseExportFile(console, path);
        console.dialog->checkBox(SaveLogCheckBox)->click();
        console.click(ReadLogButton);
        QCOMPARE(tableRows(*console.dialog).size(), 3);
        QCOMPARE(console.text(ExportPathField), path);
        QCOMPARE(fileBytes(path), kept);

        chooseExportFile(console, path);
        console.click(ReadLogButton);
        const QByteArray once = fileBytes(path).mid(kept.size());
        QCOMPARE(once.count("\r\n"), 3);
        QVERIFY(once.startsWith("0  ") && once.contains("\r\n1  ") && once.contains("\r\n2  "));
        console.click(ReadLogButton);
        QCOMPARE(console.takeMessage(), QString());
        QCOMPARE(fileBytes(path), kept + once + once);
    }

    // Every row that came is still shown; the operator hears once that the file is missing
    // lines, after the download's own failure message.
    void unwritableFileIsReportedOnce_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("secondBlockCorrupt");
        QTest::newRow("missing folder") << "/nonexistent-folder/events.txt" << false;
        QTest::newRow("a folder") << QDir::tempPath() << false;
        QTest::newRow("device full") << "/dev/full" << false;  // opens, but every write fails
        QTest::newRow("after a failed block") << "/nonexistent-folder/events.txt" << true;
    }
    void unwritableFileIsReportedOnce()
    {
        QFETCH(QString, path);
        QFETCH(bool, secondBlockCorrupt);
        ConsoleFixture console;
        console.openPort();
        holdNumberedRecords(console, 30);
        chooseExportFile(console, path);
        if (secondBlockCorrupt)
            console.simulator.addFault(FaultRule(Fault::badChecksum(), 1, Function::ReadHolding, 0x50FA));
        console.click(ReadLogButton);
        const QStringList expected = secondBlockCorrupt
            ? QStringList{QStringLiteral("校验出错!!!"), kSaveFailed}
            : QStringList{kSaveFailed};
        QCOMPARE(console.prompts->messageTexts(), expected);
        QCOMPARE(tableRows(*console.dialog).size(), secondBlockCorrupt ? 25 : 30);
    }

    // The real dialog behind the prompts seam: a save dialog with the proposed file, the
    // filter, the default extension and a question before an existing file is chosen.
    void realSaveDialog()
    {
        QTemporaryDir folder;
        const SaveFileRequest request{folder.filePath(QStringLiteral("KT_5270.txt")),
                                      QStringLiteral("文本文件 (*.txt)"), QStringLiteral("txt")};
        QStringList proposed;
        const QString typed = fileDialogAnswer(request, [&](QFileDialog* dialog) {
            QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
            QCOMPARE(dialog->nameFilters(), QStringList{request.filter});
            QCOMPARE(dialog->defaultSuffix(), request.defaultSuffix);
            QVERIFY(!dialog->testOption(QFileDialog::DontConfirmOverwrite));
            proposed = dialog->selectedFiles();
            typeFileName(dialog, QStringLiteral("events"));
            static_cast<QDialog*>(dialog)->accept();  // as the Save button does
        });
        QCOMPARE(proposed, QStringList{request.initialPath});
        QCOMPARE(typed, folder.filePath(QStringLiteral("events.txt")));

        const QString existing = folder.filePath(QStringLiteral("kept.txt"));
        {
            QFile file(existing);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("kept\r\n");
        }
        bool asked = false;
        const QString confirmed = fileDialogAnswer(request, [&](QFileDialog* dialog) {
            answerWhenShown<QMessageBox>([&](QMessageBox* question) {
                asked = true;
                question->button(QMessageBox::Yes)->click();
            });
            typeFileName(dialog, existing);
            static_cast<QDialog*>(dialog)->accept();  // as the Save button does
        });
        QVERIFY(asked);
        QCOMPARE(confirmed, existing);
        QCOMPARE(fileBytes(existing), QByteArray("kept\r\n"));

        const QString cancelled =
            fileDialogAnswer(request, [](QFileDialog* dialog) { dialog->reject(); });
        QCOMPARE(cancelled, QString());
    }
};

QTEST_MAIN(LogExportTest)
#include "test_log_export.moc"
