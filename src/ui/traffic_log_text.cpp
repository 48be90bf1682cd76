#include "ui/traffic_log_text.h"

#include <QSaveFile>

namespace kt::ui {

bool saveTrafficLog(const QString& path, const TrafficSnapshot& rows)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (std::size_t index = 0; index < rows.size(); ++index)
        file.write(QByteArray::fromStdString(link::trafficLine(rows[index]) + "\r\n"));
    return file.commit();
}

}  // namespace kt::ui
