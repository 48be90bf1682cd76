#pragma once

#include <QAbstractTableModel>

#include "ui/traffic_log.h"

namespace kt::ui {

// The communication log's rows for a table view, read from a snapshot of the log.
class TrafficTableModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const TrafficRow& row(int index) const { return shown_[offset_ + std::size_t(index)]; }
    // The rows on view.
    const TrafficSnapshot& rows() const { return shown_; }

    // Shows `latest` in place of the rows on view: the rows the log has let go of leave from
    // the top and the new ones join at the bottom, so that the view keeps its selection.
    void show(TrafficSnapshot latest);

private:
    TrafficSnapshot shown_;
    // While rows leave, the view still sees the old snapshot from this row on.
    std::size_t offset_ = 0;
    std::size_t count_ = 0;
};

}  // namespace kt::ui
