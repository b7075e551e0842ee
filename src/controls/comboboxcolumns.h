#pragma once

#include <QIdentityProxyModel>
#include <QList>

namespace Torva {

// The columns of the name search's list as its settings describe them: each
// column's alignment by code (0 numbers right and text left, 1 left,
// 2 right, 3 centred), for its cells and for its caption.
class ComboBoxColumns : public QIdentityProxyModel
{
    Q_OBJECT

public:
    explicit ComboBoxColumns(QObject *parent = nullptr);

    void setAlignments(const QList<int> &codes);
    void setCaptionAlignments(const QList<int> &codes);

    // The alignment a code gives a value.
    static Qt::Alignment alignment(int code, const QVariant &value);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<int> m_alignments;
    QList<int> m_captionAlignments;
};

} // namespace Torva
