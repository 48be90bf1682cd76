#pragma once

#include <QIcon>

namespace kt::ui {

// The application icon and the five lamp pictures, each drawn at 32x32 and 16x16; the
// application icon also at the larger sizes a desktop's menus and task switchers show.
struct LampImages {
    QIcon appIcon;
    QIcon portOpenIcon;    // red lamp, lit, with short rays around it
    QIcon portClosedIcon;  // dark (black) lamp
    QIcon normalIcon;      // solid green disc
    QIcon leakIcon;        // solid red disc
    QIcon breakIcon;       // white disc with a red cross

    static LampImages create();
};

// Size at which the lamps show their picture.
inline constexpr int kLampSize = 32;

inline constexpr int kAppIconSizes[] = {16, 32, 48, 128, 256};

}  // namespace kt::ui
