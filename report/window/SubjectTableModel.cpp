#include "report/window/SubjectTableModel.h"

#include <QDateTime>
#include <QLocale>

namespace kavr::report {

void SubjectTableModel::setChoice(const ProtocolChoice &choice)
{
    beginResetModel();
    m_choice = choice;
    endResetModel();
}

int SubjectTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_choice.records.size());
}

int SubjectTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SubjectTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    switch (role) {
    case Qt::DisplayRole: return shown(index.row(), index.column());
    case SortRole: return sortValue(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return index.column() >= Correct ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    default: return {};
    }
}

QVariant SubjectTableModel::shown(int row, int column) const
{
    const ProtocolRecord &r = m_choice.records.at(row);
    const QLocale locale;
    switch (column) {
    case Code: return r.code;
    case Name: return r.name;
    case Date: return r.dateTime; // as the protocol has it
    case Variant: return r.variant;
    case Recovered: return r.recovered ? tr("yes") : QString();
    case Correct: return r.score.correct;
    case Wrong: return r.score.wrong;
    case Missing: return r.score.missing;
    case MeanTime: return locale.toString(r.score.mean, 'f', 2);
    case TimeSd: return locale.toString(r.score.sd, 'f', 2);
    case TimeCv: return locale.toString(r.score.cv, 'f', 0);
    case AnswerTime: return locale.toString(r.answerSeconds, 'f', 0);
    default: return {};
    }
}

QVariant SubjectTableModel::sortValue(int row, int column) const
{
    const ProtocolRecord &r = m_choice.records.at(row);
    switch (column) {
    case Date: {
        // By the calendar where the date can be read; an unread one first.
        const ProtocolDate &date = m_choice.dates.at(row);
        return date.date ? QDateTime(*date.date, date.time.value_or(QTime(0, 0))) : QDateTime();
    }
    case Recovered: return r.recovered;
    case MeanTime: return r.score.mean;
    case TimeSd: return r.score.sd;
    case TimeCv: return r.score.cv;
    case AnswerTime: return r.answerSeconds;
    default: return shown(row, column);
    }
}

QVariant SubjectTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Code: return tr("Code");
    case Name: return tr("Name");
    case Date: return tr("Date");
    case Variant: return tr("Variant");
    case Recovered: return tr("Recovered");
    case Correct: return QStringLiteral("N[+]");
    case Wrong: return QStringLiteral("N[-]");
    case Missing: return QStringLiteral("N[0]");
    case MeanTime: return tr("Tcp, s");
    case TimeSd: return tr("SD, s");
    case TimeCv: return QStringLiteral("V, %");
    case AnswerTime: return tr("Answer time, s");
    default: return {};
    }
}

} // namespace kavr::report
