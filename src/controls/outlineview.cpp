#include "outlineview.h"

#include "controls/outlinedelegate.h"
#include "controls/outlinemodel.h"
#include "controls/twips.h"

#include <QHeaderView>
#include <QScrollBar>

namespace Torva {

OutlineView::OutlineView(QWidget *parent)
    : QTableView(parent)
    , m_fixed(new QTableView(this))
{
    for (QTableView *view : {static_cast<QTableView *>(this), m_fixed}) {
        view->verticalHeader()->hide();
        view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view->horizontalHeader()->setHighlightSections(false);
        view->setShowGrid(false);
        view->setWordWrap(false);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectItems);
        view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    }
    setTabKeyNavigation(true);
    setEditTriggers(NoEditTriggers);
    // Fitting a column reads this many rows at most, not all of a long outline.
    horizontalHeader()->setResizeContentsPrecision(200);

    m_fixed->setFocusPolicy(Qt::NoFocus);
    m_fixed->setEditTriggers(NoEditTriggers);
    m_fixed->setFrameShape(QFrame::NoFrame);
    m_fixed->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_fixed->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_fixed->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_fixed->hide();
    viewport()->stackUnder(m_fixed);

    connect(verticalScrollBar(), &QScrollBar::valueChanged, m_fixed->verticalScrollBar(), &QScrollBar::setValue);
    connect(m_fixed->verticalScrollBar(), &QScrollBar::valueChanged, verticalScrollBar(), &QScrollBar::setValue);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int col, int, int size) {
        m_fixed->setColumnWidth(col, size);
        placeFixedView();
    });
    connect(verticalHeader(), &QHeaderView::sectionResized, this,
            [this](int row, int, int size) { m_fixed->setRowHeight(row, size); });
}

void OutlineView::setOutlineModel(OutlineModel *model)
{
    m_model = model;
    setModel(model);
    m_fixed->setModel(model);
    m_fixed->setSelectionModel(selectionModel());
    const auto rowsChanged = [this] {
        m_rowsDirty = true;
        scheduleSync();
    };
    const auto shapeChanged = [this] {
        m_fitted.clear();
        m_rowsDirty = true;
        m_columnsDirty = true;
        scheduleSync();
    };
    connect(model, &OutlineModel::rowsShownChanged, this, rowsChanged);
    // A column whose look or caption changed is fitted again.
    const auto columnsChanged = [this](int first, int last) {
        for (int col = qMax(0, first); col <= last && col < m_fitted.size(); ++col)
            m_fitted[col] = false;
        m_columnsDirty = true;
        scheduleSync();
    };
    connect(model, &OutlineModel::columnChanged, this, [columnsChanged](int col) { columnsChanged(col, col); });
    connect(model, &QAbstractItemModel::headerDataChanged, this,
            [columnsChanged](Qt::Orientation orientation, int first, int last) {
                if (orientation == Qt::Horizontal)
                    columnsChanged(first, last);
            });
    connect(model, &QAbstractItemModel::dataChanged, this, &OutlineView::widenForCells);
    connect(model, &QAbstractItemModel::modelReset, this, shapeChanged);
    connect(model, &QAbstractItemModel::rowsInserted, this, rowsChanged);
    connect(model, &QAbstractItemModel::rowsRemoved, this, rowsChanged);
    connect(model, &QAbstractItemModel::columnsInserted, this, shapeChanged);
    connect(model, &QAbstractItemModel::columnsRemoved, this, shapeChanged);
    syncNow();
}

void OutlineView::setOutlineDelegate(OutlineDelegate *delegate)
{
    setItemDelegate(delegate);
    m_fixed->setItemDelegate(delegate);
    // Editors open in this view only; the fixed view must not hear of them.
    disconnect(delegate, nullptr, m_fixed, nullptr);
}

void OutlineView::setDefaultRowHeight(int pixels)
{
    verticalHeader()->setMinimumSectionSize(1);
    m_fixed->verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(pixels);
    m_fixed->verticalHeader()->setDefaultSectionSize(pixels);
    m_rowsDirty = true;
    scheduleSync();
}

int OutlineView::defaultRowHeight() const
{
    return verticalHeader()->defaultSectionSize();
}

void OutlineView::scheduleSync()
{
    if (m_syncPending)
        return;
    m_syncPending = true;
    QMetaObject::invokeMethod(this, &OutlineView::syncNow, Qt::QueuedConnection);
}

void OutlineView::syncNow()
{
    m_syncPending = false;
    if (!m_model)
        return;
    if (m_columnsDirty)
        syncColumns();
    if (m_rowsDirty)
        syncRows();
}

void OutlineView::syncRows()
{
    m_rowsDirty = false;
    const int standard = defaultRowHeight();
    for (int row = 0; row < m_model->Rows(); ++row) {
        const bool shown = m_model->RowShown(row);
        if (isRowHidden(row) == shown) {
            setRowHidden(row, !shown);
            m_fixed->setRowHidden(row, !shown);
        }
        if (!shown)
            continue;
        const int twips = m_model->RowHeight(row);
        const int pixels = twips < 0 ? standard : Twips::toPixels(twips);
        if (rowHeight(row) != pixels)
            setRowHeight(row, pixels);
    }
}

void OutlineView::syncColumns()
{
    m_columnsDirty = false;
    const int fixedColumns = qMin(m_model->FixedCols(), m_model->Cols());
    bool anyFixedShown = false;
    for (int col = 0; col < m_model->Cols(); ++col) {
        const bool hidden = m_model->ColumnHidden(col);
        setColumnHidden(col, hidden);
        m_fixed->setColumnHidden(col, hidden || col >= fixedColumns);
        anyFixedShown = anyFixedShown || (!hidden && col < fixedColumns);
        const int twips = m_model->ColumnWidth(col);
        if (twips >= 0) {
            setColumnWidth(col, Twips::toPixels(twips));
        } else if (!hidden && !m_fitted.value(col) && updatesEnabled()) {
            // While the grid does not redraw (a load) the texts may still
            // change: the fit waits for the redraw, reading each column once.
            resizeColumnToContents(col);
            m_fitted.resize(m_model->Cols());
            m_fitted[col] = true;
        }
        m_fixed->setColumnWidth(col, columnWidth(col));
    }
    m_fixed->setVisible(anyFixedShown);
    placeFixedView();
}

void OutlineView::widenForCells(const QModelIndex &topLeft, const QModelIndex &bottomRight)
{
    // A cell written once the columns were fitted (a new associate, the user
    // stamped on a changed row) widens its fitted column rather than being
    // cut; whole-column changes wait for the next fit.
    if (topLeft.row() != bottomRight.row() || !updatesEnabled())
        return;
    for (int col = topLeft.column(); col <= bottomRight.column(); ++col) {
        if (!m_fitted.value(col) || m_model->ColumnWidth(col) >= 0 || isColumnHidden(col))
            continue;
        const int needed = sizeHintForIndex(m_model->index(topLeft.row(), col)).width();
        if (needed > columnWidth(col))
            setColumnWidth(col, needed);
    }
}

void OutlineView::fitColumns()
{
    m_fitted.clear();
    m_columnsDirty = true;
    syncNow();
}

int OutlineView::fixedWidth() const
{
    if (!m_model || m_fixed->isHidden())
        return 0;
    int width = 0;
    for (int col = 0; col < qMin(m_model->FixedCols(), m_model->Cols()); ++col) {
        if (!isColumnHidden(col))
            width += columnWidth(col);
    }
    return width;
}

void OutlineView::placeFixedView()
{
    if (m_fixed->isHidden())
        return;
    m_fixed->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
    m_fixed->setGeometry(frameWidth(), frameWidth(), fixedWidth(),
                         viewport()->height() + (horizontalHeader()->isHidden() ? 0 : horizontalHeader()->height()));
}

void OutlineView::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    placeFixedView();
}

void OutlineView::updateGeometries()
{
    QTableView::updateGeometries();
    placeFixedView();
}

void OutlineView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    QTableView::scrollTo(index, hint);
    if (!m_model || !index.isValid() || index.column() < m_model->FixedCols())
        return;
    // Cells must not stop under the fixed columns.
    const int left = visualRect(index).left();
    const int covered = fixedWidth();
    if (left < covered)
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + left - covered);
}

QModelIndex OutlineView::indexAtPoint(const QPoint &point) const
{
    if (!m_fixed->isHidden() && m_fixed->geometry().contains(point))
        return m_fixed->indexAt(m_fixed->viewport()->mapFrom(this, point));
    const QPoint inViewport = viewport()->mapFrom(this, point);
    return viewport()->rect().contains(inViewport) ? indexAt(inViewport) : QModelIndex();
}

QPair<int, int> OutlineView::cellAt(const QPoint &point) const
{
    const bool inFixed = !m_fixed->isHidden() && m_fixed->geometry().contains(point);
    const QTableView *view = inFixed ? m_fixed : this;
    const QHeaderView *header = view->horizontalHeader();
    const QPoint inHeader = header->mapFrom(this, point);
    if (!header->isHidden() && header->rect().contains(inHeader)) {
        const int col = header->logicalIndexAt(inHeader.x());
        return {m_model && m_model->FixedRows() > 0 && col >= 0 ? 0 : -1, col};
    }
    const QModelIndex index = indexAtPoint(point);
    return index.isValid() ? QPair<int, int>(index.row(), index.column()) : QPair<int, int>(-1, -1);
}

QRect OutlineView::cellRect(int row, int col) const
{
    if (!m_model || row < 0 || row >= m_model->Rows() || col < 0 || col >= m_model->Cols())
        return QRect();
    const bool inFixed = col < m_model->FixedCols() && !m_fixed->isHidden();
    const QTableView *view = inFixed ? m_fixed : this;
    if (view->isColumnHidden(col))
        return QRect();
    if (row < m_model->FixedRows()) {
        const QHeaderView *header = view->horizontalHeader();
        const QRect section(header->sectionViewportPosition(col), 0, header->sectionSize(col), header->height());
        return section.translated(header->viewport()->mapTo(this, QPoint()));
    }
    if (view->isRowHidden(row))
        return QRect();
    return view->visualRect(m_model->index(row, col)).translated(view->viewport()->mapTo(this, QPoint()));
}

int OutlineView::firstNavigableColumn() const
{
    if (!m_model)
        return -1;
    for (int col = m_model->FixedCols(); col < m_model->Cols(); ++col) {
        if (!m_model->ColumnHidden(col))
            return col;
    }
    return -1;
}

QList<QWidget *> OutlineView::mouseSurfaces() const
{
    return {viewport(), m_fixed->viewport(), horizontalHeader()->viewport(), m_fixed->horizontalHeader()->viewport()};
}

bool OutlineView::beginEdit(const QModelIndex &index)
{
    return edit(index, AllEditTriggers, nullptr);
}

bool OutlineView::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    const bool opensEditor = index.isValid() && state() != EditingState
                             && (trigger == AllEditTriggers || (editTriggers() & trigger))
                             && (index.flags() & Qt::ItemIsEditable);
    if (!opensEditor)
        return QTableView::edit(index, trigger, event);
    if (!m_model->CanEditCell(index.row(), index.column()))
        return false;
    bool cancel = false;
    Q_EMIT editRequested(index.row(), index.column(), cancel);
    if (cancel)
        return false;
    return QTableView::edit(index, trigger, event);
}

void OutlineView::commitData(QWidget *editor)
{
    const QModelIndex index = currentIndex();
    const QString before = m_model->CellText(index.row(), index.column());
    QTableView::commitData(editor);
    if (m_model->CellText(index.row(), index.column()) != before)
        Q_EMIT cellCommitted(index.row(), index.column());
}

} // namespace Torva
