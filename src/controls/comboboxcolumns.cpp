#include "comboboxcolumns.h"

namespace Torva {

ComboBoxColumns::ComboBoxColumns(QObject *parent)
    : QIdentityProxyModel(parent)
{
}

void ComboBoxColumns::setAlignments(const QList<int> &codes)
{
    m_alignments = codes;
    if (rowCount() > 0 && columnCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::TextAlignmentRole});
}

void ComboBoxColumns::setCaptionAlignments(const QList<int> &codes)
{
    m_captionAlignments = codes;
    if (columnCount() > 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

Qt::Alignment ComboBoxColumns::alignment(int code, const QVariant &value)
{
    switch (code) {
    case 1:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case 2:
        return Qt::AlignRight | Qt::AlignVCenter;
    case 3:
        return Qt::AlignCenter;
    default: {
        bool number = false;
        value.toString().toDouble(&number);
        return (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    }
    }
}

QVariant ComboBoxColumns::data(const QModelIndex &index, int role) const
{
    if (role == Qt::TextAlignmentRole && index.isValid())
        return int(alignment(m_alignments.value(index.column()), QIdentityProxyModel::data(index, Qt::EditRole)));
    return QIdentityProxyModel::data(index, role);
}

QVariant ComboBoxColumns::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole && orientation == Qt::Horizontal)
        return int(alignment(m_captionAlignments.value(section), QVariant()));
    return QIdentityProxyModel::headerData(section, orientation, role);
}

} // namespace Torva
