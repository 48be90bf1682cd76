// Renders the console's own application icon as the PNG files a desktop's icon theme holds:
//   kt5270-icon-renderer OUTPUT_DIR SIZE...   writes OUTPUT_DIR/<SIZE>/KT_5270.png
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <cstdio>

#include "ui/lamp_images.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR SIZE...\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QDir output(QString::fromLocal8Bit(argv[1]));

    for (int index = 2; index < argc; ++index) {
        const int size = QByteArray(argv[index]).toInt();
        if (size <= 0) {
            std::fprintf(stderr, "not a size: %s\n", argv[index]);
            return 2;
        }
        const QString folder = QString::number(size);
        const QString path = output.filePath(folder + QStringLiteral("/KT_5270.png"));
        if (!output.mkpath(folder) || !kt::ui::LampImages::renderAppIcon(size).save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
