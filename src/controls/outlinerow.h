#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <QColor>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include <memory>
#include <utility>
#include <vector>

namespace Torva {

/// One row of the outline grid: the texts of its cells kept back to back in
/// one string, its place in the outline, and the few cells that carry more
/// than text kept apart. A row of plain cells so costs one allocation, which
/// keeps a grid of thousands of rows small.
class TORVA_EXPORT OutlineRow
{
public:
    /// What a cell may carry besides its text; most cells carry none of it.
    struct CellExtras
    {
        QString data;       // hidden text kept with the cell
        QString error;      // the message shown at the cell until its text changes
        QPixmap picture;
        QColor foreColor;   // invalid: the grid's own colour
        bool bold = false;
        bool underline = false;
        bool hyperlink = false;

        bool isEmpty() const;
    };

    OutlineRow() = default;
    OutlineRow(int level, bool isNode);

    QString text(int column) const;
    void setText(int column, const QString &text);
    /// Replaces every cell; cells past the list are empty.
    void setTexts(const QStringList &texts);
    /// The same, from texts already joined by separator(); the caller makes
    /// sure they hold no separator of their own.
    void setJoinedTexts(QString joined);
    /// Drops the cells from column on.
    void truncate(int column);

    /// The character between two cells; cell texts holding it get a blank instead.
    static constexpr QChar separator() { return QChar(0x1F); }

    /// The cell's extras, or nullptr when it has none.
    const CellExtras *extras(int column) const;
    /// The cell's extras, made when missing; call compact() after clearing them.
    CellExtras &extrasFor(int column);
    /// Forgets the cell's extras when nothing is left in them.
    void compact(int column);

    int level() const { return m_level; }
    void setLevel(int level) { m_level = qint16(qBound(0, level, 0x7fff)); }
    bool isNode() const { return m_isNode; }
    void setNode(bool isNode) { m_isNode = isNode; }
    bool isCollapsed() const { return m_collapsed; }
    void setCollapsed(bool collapsed) { m_collapsed = collapsed; }
    /// Height in twips; -1 for the grid's default, 0 hides the row.
    int height() const { return m_height; }
    void setHeight(int twips) { m_height = twips; }

private:
    using ExtrasList = std::vector<std::pair<int, CellExtras>>;

    QString m_texts;
    std::unique_ptr<ExtrasList> m_extras;
    int m_height = -1;
    qint16 m_level = 0;
    bool m_isNode = false;
    bool m_collapsed = false;
};

} // namespace Torva
