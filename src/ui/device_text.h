#pragma once

#include <QString>
#include <string_view>

namespace kt::ui {

// The protocol layer gives its texts as UTF-8; the window shows them as QString.
inline QString fromDeviceText(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace kt::ui
