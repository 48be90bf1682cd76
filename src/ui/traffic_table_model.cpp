#include "ui/traffic_table_model.h"

#include <algorithm>

#include "ui/traffic_log_text.h"

namespace kt::ui {

int TrafficTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(count_);
}

int TrafficTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kTrafficColumnCount;
}

QVariant TrafficTableModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return QString::fromStdString(
        link::trafficField(row(index.row()), static_cast<TrafficColumn>(index.column())));
}

QVariant TrafficTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return QString::fromStdString(link::trafficColumnTitle(static_cast<TrafficColumn>(section)));
}

void TrafficTableModel::show(TrafficSnapshot latest)
{
    // Sequence numbers only grow, and a cleared log starts past every row it had.
    const std::size_t gone = static_cast<std::size_t>(
        std::min<std::uint64_t>(latest.firstSequence() - shown_.firstSequence(), count_));
    if (gone > 0) {
        beginRemoveRows({}, 0, static_cast<int>(gone) - 1);
        offset_ += gone;
        count_ -= gone;
        endRemoveRows();
    }
    // The rows still on view are the first count_ rows of `latest`, the very same rows.
    shown_ = std::move(latest);
    offset_ = 0;
    if (shown_.size() > count_) {
        beginInsertRows({}, static_cast<int>(count_), static_cast<int>(shown_.size()) - 1);
        count_ = shown_.size();
        endInsertRows();
    }
}

}  // namespace kt::ui
