#include "ui/application_setup.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

namespace kt::ui {
namespace {

constexpr int kPointSize = 9;

// In order of preference: the Song face the layout was designed for, then common faces
// that carry Simplified Chinese.
const QStringList& preferredFamilies()
{
    static const QStringList families{
        QStringLiteral("SimSun"),           QStringLiteral("宋体"),
        QStringLiteral("NSimSun"),          QStringLiteral("Noto Sans CJK SC"),
        QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Source Han Sans SC"),
        QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("WenQuanYi Zen Hei"),
    };
    return families;
}

QString chineseFamily()
{
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : preferredFamilies()) {
        if (installed.contains(family, Qt::CaseInsensitive))
            return family;
    }
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    return chinese.isEmpty() ? QString() : chinese.constFirst();
}

// Qt's own dialogs and standard buttons in Simplified Chinese; without the catalogue they
// stay in English.
void installQtTranslations(QApplication& application)
{
    auto* translator = new QTranslator(&application);
    if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                         QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(translator);
    } else {
        delete translator;
    }
}

}  // namespace

QFont consoleFont()
{
    QFont font = QApplication::font();
    if (const QString family = chineseFamily(); !family.isEmpty())
        font.setFamilies({family});
    font.setPointSize(kPointSize);
    return font;
}

void setUpApplication(QApplication& application)
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    installQtTranslations(application);
    QApplication::setFont(consoleFont());
}

}  // namespace kt::ui
