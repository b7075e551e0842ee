#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <QList>
#include <QObject>
#include <QPixmap>
#include <QStringList>

namespace Torva {

/// The small pictures the editors put into grid cells, found by key: fifteen
/// icons drawn here at run time, 16 by 16 pixels, the two check boxes 11 by 11.
class TORVA_EXPORT ImageList : public QObject
{
    Q_OBJECT

public:
    explicit ImageList(QObject *parent = nullptr);

    int Count() const { return int(m_images.size()); }
    /// The keys in their fixed order.
    QStringList Keys() const;
    /// The key at a place in that order (from 0); empty when out of range.
    QString Key(int index) const;
    /// The place of a key (any letter case); -1 for an unknown key.
    int Index(const QString &key) const;
    /// The picture of a key; a null pixmap for an unknown key.
    QPixmap Picture(const QString &key) const;
    QPixmap Picture(int index) const;

private:
    struct Image
    {
        QString key;
        QPixmap picture;
    };
    QList<Image> m_images;
};

} // namespace Torva
