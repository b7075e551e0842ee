#include "outlinemodel.h"

#include "data/queryresult.h"

#include <QDate>
#include <QLocale>

#include <climits>

namespace Torva {

namespace {

QString cellText(const QVariant &value)
{
    if (value.isNull())
        return QString();
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    QString text = value.toString();
    if (text.contains(OutlineRow::separator()))
        text.replace(OutlineRow::separator(), QLatin1Char(' '));
    return text;
}

bool isNumber(const QString &text)
{
    bool ok = false;
    QLocale::c().toDouble(QStringView(text).trimmed(), &ok);
    return ok;
}

} // namespace

OutlineModel::OutlineModel(QObject *parent)
    : QAbstractTableModel(parent)
{
    m_rows.emplace_back();  // the caption row
}

OutlineModel::~OutlineModel() = default;

void OutlineModel::setRows(int rows)
{
    rows = qMax(0, rows);
    if (rows > Rows()) {
        beginInsertRows(QModelIndex(), Rows(), rows - 1);
        m_rows.resize(size_t(rows));
        endInsertRows();
    } else if (rows < Rows()) {
        beginRemoveRows(QModelIndex(), rows, Rows() - 1);
        m_rows.resize(size_t(rows));
        endRemoveRows();
    } else {
        return;
    }
    invalidateShown();
}

void OutlineModel::setCols(int cols)
{
    cols = qMax(0, cols);
    if (cols > Cols()) {
        beginInsertColumns(QModelIndex(), Cols(), cols - 1);
        m_columns.resize(size_t(cols));
        endInsertColumns();
    } else if (cols < Cols()) {
        beginRemoveColumns(QModelIndex(), cols, Cols() - 1);
        m_columns.resize(size_t(cols));
        for (OutlineRow &row : m_rows)
            row.truncate(cols);
        endRemoveColumns();
    } else {
        return;
    }
    Q_EMIT columnChanged(-1);
}

void OutlineModel::setFixedRows(int rows)
{
    rows = qMax(0, rows);
    if (rows == m_fixedRows)
        return;
    m_fixedRows = rows;
    if (Rows() > 0 && Cols() > 0) {
        Q_EMIT dataChanged(index(0, 0), index(Rows() - 1, Cols() - 1));
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, Cols() - 1);
    }
    invalidateShown();
}

void OutlineModel::setFixedCols(int cols)
{
    cols = qMax(0, cols);
    if (cols == m_fixedCols)
        return;
    m_fixedCols = cols;
    if (Rows() > 0 && Cols() > 0)
        Q_EMIT dataChanged(index(0, 0), index(Rows() - 1, Cols() - 1));
    Q_EMIT columnChanged(-1);
}

void OutlineModel::setEditable(int mode)
{
    m_editable = qBound(int(EditNone), mode, int(EditByKeyboardAndMouse));
}

void OutlineModel::setQuiet(bool quiet)
{
    if (m_quiet == quiet)
        return;
    m_quiet = quiet;
    if (!quiet && Rows() > 0 && Cols() > 0) {
        Q_EMIT dataChanged(index(0, 0), index(Rows() - 1, Cols() - 1));
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, Cols() - 1);
    }
}

bool OutlineModel::validCell(int row, int col) const
{
    return validRow(row) && col >= 0 && col < Cols();
}

const OutlineRow::CellExtras *OutlineModel::extras(int row, int col) const
{
    return validCell(row, col) ? m_rows[size_t(row)].extras(col) : nullptr;
}

QString OutlineModel::CellText(int row, int col) const
{
    return validCell(row, col) ? m_rows[size_t(row)].text(col) : QString();
}

void OutlineModel::setCellText(int row, int col, const QString &text)
{
    if (!validCell(row, col))
        return;
    OutlineRow &target = m_rows[size_t(row)];
    if (target.text(col) == text)
        return;
    target.setText(col, text);
    if (const OutlineRow::CellExtras *found = target.extras(col); found && !found->error.isEmpty()) {
        target.extrasFor(col).error.clear();
        target.compact(col);
    }
    cellChanged(row, col);
}

double OutlineModel::numberOf(const QString &text)
{
    const QStringView trimmed = QStringView(text).trimmed();
    if (trimmed.isEmpty() || trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return 0;
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return -1;
    bool ok = false;
    const double number = QLocale::c().toDouble(trimmed, &ok);
    return ok ? number : 0;
}

QString OutlineModel::dateText(const QString &text)
{
    const QStringView trimmed = QStringView(text).trimmed();
    bool ok = false;
    const qlonglong number = trimmed.toLongLong(&ok);
    if (trimmed.isEmpty() || (ok && number == 0))
        return QString();
    if (!ok)
        return text;
    const QDate date(int(number / 10000), int(number / 100 % 100), int(number % 100));
    return date.isValid() ? date.toString(QStringLiteral("MM/dd/yyyy")) : text;
}

double OutlineModel::CellValue(int row, int col) const
{
    return numberOf(CellText(row, col));
}

QString OutlineModel::CellData(int row, int col) const
{
    const OutlineRow::CellExtras *found = extras(row, col);
    return found ? found->data : QString();
}

template<typename Change>
void OutlineModel::changeExtras(int row, int col, Change change)
{
    if (!validCell(row, col))
        return;
    OutlineRow &target = m_rows[size_t(row)];
    change(target.extrasFor(col));
    target.compact(col);
    cellChanged(row, col);
}

void OutlineModel::setCellData(int row, int col, const QString &data)
{
    // Hidden text: nothing to redraw, so no change signal.
    if (!validCell(row, col))
        return;
    OutlineRow &target = m_rows[size_t(row)];
    target.extrasFor(col).data = data;
    target.compact(col);
}

QPixmap OutlineModel::CellPicture(int row, int col) const
{
    const OutlineRow::CellExtras *found = extras(row, col);
    return found ? found->picture : QPixmap();
}

void OutlineModel::setCellPicture(int row, int col, const QPixmap &picture)
{
    changeExtras(row, col, [&picture](OutlineRow::CellExtras &cell) { cell.picture = picture; });
}

QColor OutlineModel::CellForeColor(int row, int col) const
{
    const OutlineRow::CellExtras *found = extras(row, col);
    return found ? found->foreColor : QColor();
}

void OutlineModel::setCellForeColor(int row, int col, const QColor &color)
{
    changeExtras(row, col, [&color](OutlineRow::CellExtras &cell) { cell.foreColor = color; });
}

bool OutlineModel::CellFontBold(int row, int col) const
{
    const OutlineRow::CellExtras *found = extras(row, col);
    return found && found->bold;
}

void OutlineModel::setCellFontBold(int row, int col, bool bold)
{
    changeExtras(row, col, [bold](OutlineRow::CellExtras &cell) { cell.bold = bold; });
}

bool OutlineModel::CellFontUnderline(int row, int col) const
{
    const OutlineRow::CellExtras *found = extras(row, col);
    return found && found->underline;
}

void OutlineModel::setCellFontUnderline(int row, int col, bool underline)
{
    changeExtras(row, col, [underline](OutlineRow::CellExtras &cell) {
        cell.underline = underline;
        if (!underline)
            cell.hyperlink = false;
    });
}

bool OutlineModel::IsCellHyperlink(int row, int col) const
{
    const OutlineRow::CellExtras *found = extras(row, col);
    return found && found->hyperlink;
}

void OutlineModel::SetCellHyperlink(int row, int col, const QColor &linkColor)
{
    changeExtras(row, col, [&linkColor](OutlineRow::CellExtras &cell) {
        cell.hyperlink = true;
        cell.underline = true;
        cell.foreColor = linkColor;
    });
}

QString OutlineModel::CellError(int row, int col) const
{
    const OutlineRow::CellExtras *found = extras(row, col);
    return found ? found->error : QString();
}

void OutlineModel::setCellError(int row, int col, const QString &message)
{
    changeExtras(row, col, [&message](OutlineRow::CellExtras &cell) { cell.error = message; });
}

QString OutlineModel::DisplayText(int row, int col) const
{
    if (!validCell(row, col))
        return QString();
    if (row < m_fixedRows)
        return CellText(row, col);
    const Column &column = m_columns[size_t(col)];
    if (column.type == BooleanType)
        return QString();
    return column.isDate ? dateText(CellText(row, col)) : CellText(row, col);
}

bool OutlineModel::CanEditCell(int row, int col) const
{
    return m_editable != EditNone && row >= m_fixedRows && validCell(row, col) && col >= m_fixedCols
           && !m_columns[size_t(col)].hidden && RowShown(row);
}

int OutlineModel::ColumnIndex(const QString &key) const
{
    for (int col = 0; col < Cols(); ++col) {
        if (m_columns[size_t(col)].key.compare(key, Qt::CaseInsensitive) == 0)
            return col;
    }
    return -1;
}

QString OutlineModel::ColumnKey(int col) const
{
    return col >= 0 && col < Cols() ? m_columns[size_t(col)].key : QString();
}

void OutlineModel::setColumnKey(int col, const QString &key)
{
    if (col >= 0 && col < Cols())
        m_columns[size_t(col)].key = key;
}

int OutlineModel::ColumnWidth(int col) const
{
    return col >= 0 && col < Cols() ? m_columns[size_t(col)].width : -1;
}

void OutlineModel::setColumnWidth(int col, int twips)
{
    if (col < 0 || col >= Cols())
        return;
    m_columns[size_t(col)].width = qMax(-1, twips);
    Q_EMIT columnChanged(col);
}

OutlineModel::DataType OutlineModel::ColumnType(int col) const
{
    return col >= 0 && col < Cols() ? m_columns[size_t(col)].type : TextType;
}

void OutlineModel::setColumnType(int col, DataType type)
{
    if (col < 0 || col >= Cols() || m_columns[size_t(col)].type == type)
        return;
    m_columns[size_t(col)].type = type;
    if (Rows() > 0)
        Q_EMIT dataChanged(index(0, col), index(Rows() - 1, col));
    Q_EMIT columnChanged(col);
}

bool OutlineModel::ColumnIsDate(int col) const
{
    return col >= 0 && col < Cols() && m_columns[size_t(col)].isDate;
}

void OutlineModel::setColumnIsDate(int col, bool isDate)
{
    if (col < 0 || col >= Cols() || m_columns[size_t(col)].isDate == isDate)
        return;
    m_columns[size_t(col)].isDate = isDate;
    if (Rows() > 0)
        Q_EMIT dataChanged(index(0, col), index(Rows() - 1, col));
    Q_EMIT columnChanged(col);
}

bool OutlineModel::ColumnHidden(int col) const
{
    return col >= 0 && col < Cols() && m_columns[size_t(col)].hidden;
}

void OutlineModel::ShowColumns(int first, int last, bool visible)
{
    first = qMax(0, first);
    last = qMin(last, Cols() - 1);
    for (int col = first; col <= last; ++col)
        m_columns[size_t(col)].hidden = !visible;
    if (first <= last)
        Q_EMIT columnChanged(-1);
}

int OutlineModel::RowLevel(int row) const
{
    return validRow(row) ? m_rows[size_t(row)].level() : 0;
}

void OutlineModel::setRowLevel(int row, int level)
{
    if (!validRow(row) || m_rows[size_t(row)].level() == level)
        return;
    m_rows[size_t(row)].setLevel(level);
    rowChanged(row);
    invalidateShown();
}

bool OutlineModel::RowIsNode(int row) const
{
    return validRow(row) && m_rows[size_t(row)].isNode();
}

void OutlineModel::setRowIsNode(int row, bool isNode)
{
    if (!validRow(row) || m_rows[size_t(row)].isNode() == isNode)
        return;
    OutlineRow &target = m_rows[size_t(row)];
    target.setNode(isNode);
    rowChanged(row);
    if (target.isCollapsed())
        invalidateShown();
}

int OutlineModel::NodeRow(int row, int which) const
{
    if (row < m_fixedRows || !validRow(row))
        return -1;
    const int level = RowLevel(row);
    switch (which) {
    case ParentNode:
        for (int above = row - 1; above >= m_fixedRows; --above) {
            if (RowLevel(above) < level)
                return above;
        }
        return -1;
    case FirstChild:
        return row + 1 < Rows() && RowLevel(row + 1) > level ? row + 1 : -1;
    case LastChild: {
        // A row below is a child when no row between them has a lower level than it.
        int lastChild = -1;
        int lowest = INT_MAX;
        for (int below = row + 1; below < Rows() && RowLevel(below) > level; ++below) {
            const int belowLevel = RowLevel(below);
            if (belowLevel <= lowest) {
                lastChild = below;
                lowest = belowLevel;
            }
        }
        return lastChild;
    }
    default:
        return -1;
    }
}

bool OutlineModel::RowHasChildren(int row) const
{
    return NodeRow(row, FirstChild) >= 0;
}

bool OutlineModel::RowCollapsed(int row) const
{
    return validRow(row) && m_rows[size_t(row)].isCollapsed();
}

void OutlineModel::setRowCollapsed(int row, bool collapsed)
{
    if (!validRow(row) || (collapsed && !RowIsNode(row)) || RowCollapsed(row) == collapsed)
        return;
    m_rows[size_t(row)].setCollapsed(collapsed);
    rowChanged(row);
    invalidateShown();
}

void OutlineModel::Outline(int fromLevel)
{
    bool changed = false;
    for (int row = 0; row < Rows(); ++row) {
        OutlineRow &target = m_rows[size_t(row)];
        if (target.isCollapsed() && target.level() >= fromLevel) {
            target.setCollapsed(false);
            changed = true;
        }
    }
    if (changed) {
        if (Rows() > 0 && Cols() > 0)
            Q_EMIT dataChanged(index(0, 0), index(Rows() - 1, Cols() - 1));
        invalidateShown();
    }
}

int OutlineModel::RowHeight(int row) const
{
    return validRow(row) ? m_rows[size_t(row)].height() : -1;
}

void OutlineModel::setRowHeight(int row, int twips)
{
    if (!validRow(row) || m_rows[size_t(row)].height() == twips)
        return;
    m_rows[size_t(row)].setHeight(qMax(-1, twips));
    invalidateShown();
}

bool OutlineModel::RowHidden(int row) const
{
    return RowHeight(row) == 0;
}

bool OutlineModel::RowShown(int row) const
{
    if (!validRow(row))
        return false;
    ensureShown();
    return m_shown[size_t(row)] & 1;
}

bool OutlineModel::RowAlternate(int row) const
{
    if (!validRow(row))
        return false;
    ensureShown();
    return m_shown[size_t(row)] & 2;
}

void OutlineModel::invalidateShown()
{
    m_shownValid = false;
    Q_EMIT rowsShownChanged();
}

void OutlineModel::ensureShown() const
{
    if (m_shownValid)
        return;
    m_shown.assign(m_rows.size(), 0);
    int collapsedLevel = INT_MAX;  // rows deeper than this lie under a collapsed node
    int shownCount = 0;
    for (int row = m_fixedRows; row < Rows(); ++row) {
        const OutlineRow &current = m_rows[size_t(row)];
        if (current.level() <= collapsedLevel)
            collapsedLevel = INT_MAX;
        if (collapsedLevel != INT_MAX)
            continue;
        if (current.height() != 0)
            m_shown[size_t(row)] = quint8(1 | (shownCount++ % 2 ? 2 : 0));
        if (current.isNode() && current.isCollapsed())
            collapsedLevel = current.level();
    }
    m_shownValid = true;
}

int OutlineModel::InsertRow(const QString &text, int level, bool isNode, int row)
{
    if (row < 0 || row > Rows())
        row = Rows();
    OutlineRow inserted(level, isNode);
    inserted.setTexts(text.split(QLatin1Char('\t')).mid(0, Cols()));
    beginInsertRows(QModelIndex(), row, row);
    m_rows.insert(m_rows.begin() + row, std::move(inserted));
    endInsertRows();
    if (row > 0)
        rowChanged(row - 1);  // the row above may have got its first child
    invalidateShown();
    return row;
}

void OutlineModel::RemoveRow(int row)
{
    if (!validRow(row))
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    if (row > 0)
        rowChanged(row - 1);
    invalidateShown();
}

void OutlineModel::LoadQuery(const QString &statement, const QVariant &parameters, int maxRows,
                             const QString &levelColumn)
{
    const QueryResult result = m_table.Fetch(statement, parameters, maxRows);
    const int levelField = levelColumn.isEmpty() ? -1 : result.fieldIndex(levelColumn);
    const int fields = result.columnCount();

    std::vector<OutlineRow> rows(static_cast<size_t>(m_fixedRows));
    rows.reserve(size_t(m_fixedRows) + size_t(result.rowCount()));
    if (!rows.empty())
        rows.front().setTexts(result.fieldNames());
    QString joined;
    for (int read = 0; read < result.rowCount(); ++read) {
        joined.clear();
        for (int field = 0; field < fields; ++field) {
            if (field > 0)
                joined += OutlineRow::separator();
            joined += cellText(result.value(read, field));
        }
        OutlineRow &row =
            rows.emplace_back(levelField >= 0 ? result.value(read, levelField).toInt() : 0, levelField >= 0);
        row.setJoinedTexts(joined);
    }

    std::vector<Column> columns(static_cast<size_t>(fields));
    for (int field = 0; field < fields; ++field)
        columns[size_t(field)].key = result.fieldNames().at(field);

    beginResetModel();
    m_rows = std::move(rows);
    m_columns = std::move(columns);
    endResetModel();
    invalidateShown();
    Q_EMIT columnChanged(-1);
}

int OutlineModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Rows();
}

int OutlineModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Cols();
}

QVariant OutlineModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !validCell(index.row(), index.column()))
        return QVariant();
    const int row = index.row();
    const int col = index.column();
    const bool dataCell = row >= m_fixedRows;
    const Column &column = m_columns[size_t(col)];
    const OutlineRow::CellExtras *cell = extras(row, col);

    switch (role) {
    case Qt::DisplayRole:
        return DisplayText(row, col);
    case Qt::EditRole:
        return CellText(row, col);
    case Qt::DecorationRole:
        return cell && !cell->picture.isNull() ? QVariant(cell->picture) : QVariant();
    case Qt::ForegroundRole:
        return cell && cell->foreColor.isValid() ? QVariant(cell->foreColor) : QVariant();
    case Qt::CheckStateRole:
        if (!dataCell || column.type != BooleanType)
            return QVariant();
        return int(CellValue(row, col) != 0 ? Qt::Checked : Qt::Unchecked);
    case Qt::TextAlignmentRole:
        if (dataCell && column.type == BooleanType)
            return int(Qt::AlignCenter);
        if (dataCell && !column.isDate && isNumber(CellText(row, col)))
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ToolTipRole:
        return cell && !cell->error.isEmpty() ? QVariant(cell->error) : QVariant();
    case Qt::AccessibleTextRole: {
        // A screen reader hears where in the outline a row stands, not only its text.
        QString text = DisplayText(row, col);
        if (dataCell && col == 0 && RowHasChildren(row))
            text += RowCollapsed(row) ? tr(", folder, closed") : tr(", folder, open");
        if (dataCell && col == 0)
            text += tr(", level %1").arg(RowLevel(row));
        if (dataCell && column.type == BooleanType)
            text = CellValue(row, col) != 0 ? tr("yes") : tr("no");
        return text;
    }
    case Qt::AccessibleDescriptionRole:
        if (cell && !cell->error.isEmpty())
            return cell->error;
        return cell && cell->hyperlink ? QVariant(tr("link")) : QVariant();
    case LevelRole:
        return RowLevel(row);
    case NodeRole:
        return RowIsNode(row);
    case HasChildrenRole:
        return RowHasChildren(row);
    case CollapsedRole:
        return RowCollapsed(row);
    case BoldRole:
        return cell && cell->bold;
    case UnderlineRole:
        return cell && cell->underline;
    case HyperlinkRole:
        return cell && cell->hyperlink;
    case ErrorRole:
        return cell ? cell->error : QString();
    case AlternateRole:
        return RowAlternate(row);
    case FixedRole:
        return !dataCell || col < m_fixedCols;
    case BooleanRole:
        return dataCell && column.type == BooleanType;
    default:
        return QVariant();
    }
}

bool OutlineModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || !validCell(index.row(), index.column()))
        return false;
    if (role == Qt::CheckStateRole) {
        const bool checked = value.toInt() == Qt::Checked;
        setCellText(index.row(), index.column(), checked ? QStringLiteral("True") : QStringLiteral("False"));
        return true;
    }
    if (role != Qt::EditRole && role != Qt::DisplayRole)
        return false;
    setCellText(index.row(), index.column(), value.toString());
    return true;
}

QVariant OutlineModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section;
    QStringList captions;
    for (int row = 0; row < m_fixedRows && row < Rows(); ++row)
        captions << CellText(row, section);
    while (!captions.isEmpty() && captions.constLast().isEmpty())
        captions.removeLast();
    return captions.join(QLatin1Char('\n'));
}

Qt::ItemFlags OutlineModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.row() < m_fixedRows || index.column() < m_fixedCols)
        return Qt::ItemNeverHasChildren;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_editable != EditNone && ColumnType(index.column()) == TextType)
        flags |= Qt::ItemIsEditable;
    return flags;
}

void OutlineModel::cellChanged(int row, int col)
{
    if (m_quiet)
        return;
    const QModelIndex changed = index(row, col);
    Q_EMIT dataChanged(changed, changed);
    if (row < m_fixedRows)
        Q_EMIT headerDataChanged(Qt::Horizontal, col, col);
}

void OutlineModel::rowChanged(int row)
{
    if (!m_quiet && Cols() > 0)
        Q_EMIT dataChanged(index(row, 0), index(row, Cols() - 1));
}

} // namespace Torva
