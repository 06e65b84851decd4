#pragma once
// The chosen protocols as the report window's table: one row per subject with the scores a
// psychologist reads first. Shown in the user's language and number format; sorted by the
// values themselves (SortRole), so that 10 comes after 9 and dates go by the calendar.
#include "report/select/ProtocolPool.h"

#include <QAbstractTableModel>
#include <QList>

namespace kavr::report {

class SubjectTableModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        Code,
        Name,
        Date,
        Variant,
        Recovered,
        Correct,
        Wrong,
        Missing,
        MeanTime,
        TimeSd,
        TimeCv,
        AnswerTime,
        ColumnCount
    };
    static constexpr int SortRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    void setChoice(const ProtocolChoice &choice);
    const ProtocolRecord &record(int row) const { return m_choice.records.at(row); }
    const ProtocolChoice &choice() const { return m_choice; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QVariant shown(int row, int column) const;
    QVariant sortValue(int row, int column) const;

    ProtocolChoice m_choice;
};

} // namespace kavr::report
