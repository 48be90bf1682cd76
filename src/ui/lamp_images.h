#pragma once

#include <QIcon>
#include <QPixmap>
#include <QStringView>

class QLabel;

namespace kt::ui {

// The application icon and the five lamp pictures, each drawn at 32x32 and 16x16.
struct LampImages {
    QIcon appIcon;
    QIcon portOpenIcon;    // red lamp, lit, with short rays around it
    QIcon portClosedIcon;  // dark (black) lamp
    QIcon normalIcon;      // solid green disc
    QIcon leakIcon;        // solid red disc
    QIcon breakIcon;       // white disc with a red cross

    static LampImages create();

    // The application icon's drawing at any size, for the desktop's icon theme; not part of
    // create(), since at large sizes Qt paints on worker threads of its own.
    static QPixmap renderAppIcon(int size);
};

// Size at which the lamps show their picture.
inline constexpr int kLampSize = 32;

// Shows `image` in `lamp`; `meaning` says in words what it shows, for assistive tools.
void showLamp(QLabel& lamp, const QIcon& image, QStringView meaning);

}  // namespace kt::ui
