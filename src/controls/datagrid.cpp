#include "datagrid.h"

#include "controls/outlineview.h"
#include "controls/twips.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QHeaderView>
#include <QMimeData>
#include <QScrollBar>
#include <QToolTip>
#include <QVBoxLayout>

#include <exception>

namespace Torva {

namespace {

int rowHeightFor(const QFont &font)
{
    return qMax(18, QFontMetrics(font).height() + 4);
}

void setBoldHeaders(QTableView *view)
{
    QFont font = view->horizontalHeader()->font();
    font.setBold(true);
    view->horizontalHeader()->setFont(font);
}

} // namespace

DataGrid::DataGrid(QWidget *parent)
    : QWidget(parent)
    , m_model(new OutlineModel(this))
    , m_delegate(new OutlineDelegate(this))
    , m_view(new OutlineView(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setFocusProxy(m_view);

    m_view->setOutlineModel(m_model);
    m_view->setOutlineDelegate(m_delegate);
    m_view->setDefaultRowHeight(rowHeightFor(font()));
    setBoldHeaders(m_view);
    setBoldHeaders(m_view->fixedView());

    m_view->installEventFilter(this);
    for (QWidget *surface : m_view->mouseSurfaces()) {
        surface->installEventFilter(this);
        surface->setMouseTracking(true);
    }

    connect(m_view, &OutlineView::editRequested, this, [this](int row, int col, bool &cancel) {
        InputEvents::atEventBoundary("DataGrid: BeforeCellEdit", [&] { Q_EMIT BeforeCellEdit(row, col, cancel); });
    });
    connect(m_view, &OutlineView::cellCommitted, this, [this](int row, int col) {
        InputEvents::atEventBoundary("DataGrid: CellEdited", [&] { Q_EMIT CellEdited(row, col); });
    });
    connect(m_view->verticalScrollBar(), &QScrollBar::valueChanged, this, &DataGrid::viewScrolled);
    connect(m_view->horizontalScrollBar(), &QScrollBar::valueChanged, this, &DataGrid::viewScrolled);
    connect(m_view->horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (QApplication::mouseButtons() != Qt::NoButton)  // resized by the user
            emitViewChanging(ColumnsResized);
    });

    m_clickEditTimer.setSingleShot(true);
    m_clickEditTimer.setInterval(QApplication::doubleClickInterval());
    connect(&m_clickEditTimer, &QTimer::timeout, this, [this] { BeginCellEdit(Row(), Col()); });

    updateColors();
    updateEditTriggers();
}

DataGrid::~DataGrid() = default;


void DataGrid::setFixedCols(int cols)
{
    m_model->setFixedCols(cols);
    keepCurrentCellShown();
}

void DataGrid::ShowColumns(int first, int last, bool visible)
{
    m_model->ShowColumns(first, last, visible);
    keepCurrentCellShown();
}

void DataGrid::keepCurrentCellShown()
{
    const int col = Col();
    if (col >= 0 && (col < FixedCols() || ColumnHidden(col)))
        SelectRow(Row());
}

int DataGrid::Row() const
{
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void DataGrid::setRow(int row)
{
    if (row < 0 || row >= Rows())
        return;
    const int col = Col() >= 0 ? Col() : m_view->firstNavigableColumn();
    m_view->setCurrentIndex(m_model->index(row, qMax(0, col)));
}

int DataGrid::Col() const
{
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() ? current.column() : -1;
}

void DataGrid::setCol(int col)
{
    if (col < 0 || col >= Cols())
        return;
    const int row = Row() >= 0 ? Row() : FixedRows();
    m_view->setCurrentIndex(m_model->index(row, col));
}

QRect DataGrid::CellRect(int row, int col) const
{
    m_view->syncNow();
    const QRect rect = m_view->cellRect(row, col);
    return rect.isNull() ? rect : rect.translated(m_view->pos());
}

int DataGrid::CellTop() const
{
    return Twips::fromPixels(CellRect(Row(), Col()).top());
}

int DataGrid::CellLeft() const
{
    return Twips::fromPixels(CellRect(Row(), Col()).left());
}

int DataGrid::CellWidth() const
{
    return Twips::fromPixels(CellRect(Row(), Col()).width());
}

int DataGrid::CellHeight() const
{
    return Twips::fromPixels(CellRect(Row(), Col()).height());
}

void DataGrid::setEditable(int mode)
{
    m_model->setEditable(mode);
    updateEditTriggers();
}

void DataGrid::updateEditTriggers()
{
    m_view->setEditTriggers(Editable() == OutlineModel::EditNone
                                ? QAbstractItemView::NoEditTriggers
                                : QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
}

QColor DataGrid::ForeColor() const
{
    const QColor own = m_delegate->colors().fore;
    return own.isValid() ? own : m_view->palette().color(QPalette::Text);
}

QColor DataGrid::LinkColor() const
{
    return palette().color(QPalette::Link);
}

void DataGrid::SetCellHyperlink(int row, int col)
{
    m_model->SetCellHyperlink(row, col, LinkColor());
}

bool DataGrid::CanEditCell(int row, int col) const
{
    return isEnabled() && m_model->CanEditCell(row, col);
}

bool DataGrid::BeginCellEdit(int row, int col)
{
    if (!CanEditCell(row, col))
        return false;
    m_view->syncNow();
    const QModelIndex index = m_model->index(row, col);
    m_view->setCurrentIndex(index);
    m_view->scrollTo(index);
    return m_view->beginEdit(index);
}

bool DataGrid::IsEditing() const
{
    return m_view->isEditing();
}

void DataGrid::ShowCellError(int row, int col, const QString &message)
{
    m_model->setCellError(row, col, message);
    ShowRow(row);
    m_view->setCurrentIndex(m_model->index(row, col));
    const QRect cell = CellRect(row, col);
    if (isVisible() && !cell.isEmpty())
        QToolTip::showText(mapToGlobal(cell.bottomLeft()), message, this, cell);
}

int DataGrid::ColumnWidth(int col) const
{
    const int twips = m_model->ColumnWidth(col);
    if (twips >= 0 || col < 0 || col >= Cols())
        return twips;
    m_view->syncNow();
    return Twips::fromPixels(m_view->columnWidth(col));
}

void DataGrid::setRowCollapsed(int row, bool collapsed)
{
    if (m_model->RowCollapsed(row) == collapsed || (collapsed && !m_model->RowIsNode(row)))
        return;
    const int current = Row();
    m_model->setRowCollapsed(row, collapsed);
    // The current cell must not vanish into a closed folder.
    if (collapsed && current > row && !m_model->RowShown(current))
        SelectRow(row);
    m_view->syncNow();
    emitViewChanging(OutlineChanged);
}

int DataGrid::RowHeight(int row) const
{
    const int twips = m_model->RowHeight(row);
    return twips >= 0 ? twips : Twips::fromPixels(m_view->defaultRowHeight());
}

int DataGrid::InsertRow(const QString &text, int level, bool isNode, int row)
{
    return m_model->InsertRow(text, level, isNode, row);
}

bool DataGrid::LoadQuery(const QString &statement, const QVariant &parameters, int maxRows,
                         const QString &levelColumn)
{
    m_clickEditTimer.stop();
    m_model->LoadQuery(statement, parameters, maxRows, levelColumn);
    if (m_redraw)
        m_view->syncNow();
    return true;
}

TableObject &DataGrid::tableObject()
{
    return m_model->tableObject();
}

QString DataGrid::rowMimeType()
{
    return QStringLiteral("application/x-torva-datagrid-row");
}

QMimeData *DataGrid::dragData(int row) const
{
    auto *data = new QMimeData;
    data->setData(rowMimeType(), QByteArray::number(row));
    QStringList shown;
    for (int col = 0; col < Cols(); ++col) {
        if (!ColumnHidden(col))
            shown << m_model->DisplayText(row, col);
    }
    data->setText(shown.join(QLatin1Char('\t')));
    return data;
}

bool DataGrid::StartDrag()
{
    const int row = Row();
    if (row < FixedRows() || row >= Rows())
        return false;
    int allowed = DropCopy | DropMove;
    Q_EMIT DragStart(QVariant(row), allowed);
    allowed &= DropCopy | DropMove;
    if (allowed == DropNone)
        return false;

    Qt::DropActions actions;
    if (allowed & DropCopy)
        actions |= Qt::CopyAction;
    if (allowed & DropMove)
        actions |= Qt::MoveAction;
    auto *drag = new QDrag(m_view);
    drag->setMimeData(dragData(row));
    const QRect cell = m_view->cellRect(row, Col());
    if (!cell.isEmpty())
        drag->setPixmap(m_view->grab(cell));
    drag->exec(actions, (allowed & DropMove) ? Qt::MoveAction : Qt::CopyAction);
    return true;
}

void DataGrid::setDropMode(int mode)
{
    m_dropMode = mode;
    m_view->viewport()->setAcceptDrops(mode == 1);
    m_view->fixedView()->viewport()->setAcceptDrops(mode == 1);
}

void DataGrid::setEditSetting(int setting)
{
    m_editSetting = setting;
    m_delegate->setEditorSelectsAll(setting == 0);
}

void DataGrid::SetViewDisplay(bool wordWrap, const QString &fontName, double pointSize, bool bold, bool italic)
{
    QFont display(fontName);
    if (pointSize > 0)
        display.setPointSizeF(pointSize);
    display.setBold(bold);
    display.setItalic(italic);
    applyDisplayFont(display, wordWrap);
}

void DataGrid::SetEditDisplay(bool wordWrap)
{
    applyDisplayFont(font(), wordWrap);
}

void DataGrid::applyDisplayFont(const QFont &display, bool wordWrap)
{
    for (QTableView *view : {static_cast<QTableView *>(m_view), m_view->fixedView()}) {
        view->setFont(display);
        view->setWordWrap(wordWrap);
        setBoldHeaders(view);
    }
    m_view->setDefaultRowHeight(rowHeightFor(display));
}

void DataGrid::BeginLoad(bool suspendRedraw)
{
    setRedraw(!suspendRedraw);
}

void DataGrid::EndLoad(bool keepCurrentCell, bool allowEditing, bool fitColumns)
{
    setEditable(allowEditing ? OutlineModel::EditByKeyboardAndMouse : OutlineModel::EditNone);
    if (!keepCurrentCell) {
        for (int row = FixedRows(); row < Rows(); ++row) {
            if (m_model->RowShown(row)) {
                SelectRow(row);
                break;
            }
        }
    }
    if (fitColumns)
        FitColumns();
}

void DataGrid::Outline(int fromLevel)
{
    m_model->Outline(fromLevel);
    m_view->syncNow();
    emitViewChanging(OutlineChanged);
}

void DataGrid::setRedraw(bool redraw)
{
    m_redraw = redraw;
    m_model->setQuiet(!redraw);
    m_view->setUpdatesEnabled(redraw);
    if (redraw) {
        m_view->syncNow();
        m_view->viewport()->update();
    }
}

void DataGrid::ShowRow(int row)
{
    if (row < FixedRows() || row >= Rows())
        return;
    for (int parent = NodeRow(row, OutlineModel::ParentNode); parent >= 0;
         parent = NodeRow(parent, OutlineModel::ParentNode))
        m_model->setRowCollapsed(parent, false);
    m_view->syncNow();
    const int col = Col() >= FixedCols() ? Col() : m_view->firstNavigableColumn();
    if (col >= 0)
        m_view->scrollTo(m_model->index(row, col));
}

void DataGrid::SelectRow(int row)
{
    if (row < 0 || row >= Rows())
        return;
    const int col = Col() >= FixedCols() && !ColumnHidden(Col()) ? Col() : m_view->firstNavigableColumn();
    m_view->setCurrentIndex(m_model->index(row, qMax(0, col)));
}

void DataGrid::FitColumns()
{
    m_view->fitColumns();
}

void DataGrid::updateColors()
{
    m_view->viewport()->update();
    m_view->fixedView()->viewport()->update();
}

void DataGrid::setColor(QColor OutlineDelegate::Colors::*which, const QColor &color)
{
    OutlineDelegate::Colors colors = m_delegate->colors();
    colors.*which = color;
    m_delegate->setColors(colors);
    updateColors();
}

void DataGrid::setForeColor(const QColor &color)
{
    setColor(&OutlineDelegate::Colors::fore, color);
}

void DataGrid::setForeColorSel(const QColor &color)
{
    setColor(&OutlineDelegate::Colors::foreSelected, color);
}

void DataGrid::setBackColor(const QColor &color)
{
    setColor(&OutlineDelegate::Colors::back, color);
}

void DataGrid::setBackColorAlternate(const QColor &color)
{
    setColor(&OutlineDelegate::Colors::backAlternate, color);
}

void DataGrid::setBackColorFixed(const QColor &color)
{
    setColor(&OutlineDelegate::Colors::backFixed, color);
}

void DataGrid::setBackColorSel(const QColor &color)
{
    setColor(&OutlineDelegate::Colors::backSelected, color);
}

QColor DataGrid::BackColorBkg() const
{
    return m_view->palette().color(QPalette::Base);
}

void DataGrid::setBackColorBkg(const QColor &color)
{
    for (QTableView *view : {static_cast<QTableView *>(m_view), m_view->fixedView()}) {
        QPalette palette = view->palette();
        palette.setColor(QPalette::Base, color);
        view->setPalette(palette);
    }
}

void DataGrid::setGridLines(bool on)
{
    m_delegate->setGridLines(on);
    updateColors();
}

bool DataGrid::AllowUserResizing() const
{
    return m_view->horizontalHeader()->sectionResizeMode(0) == QHeaderView::Interactive;
}

void DataGrid::setAllowUserResizing(bool allow)
{
    m_view->horizontalHeader()->setSectionResizeMode(allow ? QHeaderView::Interactive : QHeaderView::Fixed);
}

QAbstractItemView *DataGrid::view() const
{
    return m_view;
}



void DataGrid::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        m_view->setDefaultRowHeight(rowHeightFor(m_view->font()));
    QWidget::changeEvent(event);
}

void DataGrid::viewScrolled()
{
    InputEvents::atEventBoundary("DataGrid: ViewChanging", [this] { emitViewChanging(Scrolled); });
}

void DataGrid::emitViewChanging(int reason)
{
    const int top = m_view->rowAt(0);
    const int left = m_view->columnAt(0);
    const int oldTop = m_topRow;
    const int oldLeft = m_leftCol;
    m_topRow = top;
    m_leftCol = left;
    Q_EMIT ViewChanging(oldTop, oldLeft, top, left, reason);
}

bool DataGrid::eventFilter(QObject *watched, QEvent *event)
{
    auto *surface = qobject_cast<QWidget *>(watched);
    if (!surface)
        return QWidget::eventFilter(watched, event);
    bool handled = false;
    InputEvents::atEventBoundary("DataGrid: an event", [&] { handled = handleEvent(surface, event); });
    return handled;
}

bool DataGrid::handleEvent(QWidget *surface, QEvent *event)
{
    const bool onView = surface == m_view;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        return !onView && mousePressed(surface, static_cast<QMouseEvent *>(event));
    case QEvent::MouseButtonRelease:
        return !onView && mouseReleased(surface, static_cast<QMouseEvent *>(event));
    case QEvent::MouseButtonDblClick:
        return !onView && mouseDoubleClicked(surface, static_cast<QMouseEvent *>(event));
    case QEvent::MouseMove:
        if (!onView)
            mouseMoved(surface, static_cast<QMouseEvent *>(event));
        return false;
    case QEvent::Leave:
        if (!onView)
            m_mouseRow = m_mouseCol = -1;
        return false;
    case QEvent::ContextMenu:
        contextMenu(surface, static_cast<QContextMenuEvent *>(event));
        return true;
    case QEvent::KeyPress:
        return onView && keyPressed(static_cast<QKeyEvent *>(event));
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
        return !onView && dragEvent(surface, event);
    default:
        return false;
    }
}

QPoint DataGrid::toGrid(QWidget *surface, const QPoint &position) const
{
    return surface->mapTo(this, position);
}

void DataGrid::trackMouse(QWidget *surface, const QPoint &position)
{
    m_view->syncNow();
    const QPair<int, int> cell = m_view->cellAt(surface->mapTo(m_view, position));
    m_mouseRow = cell.first;
    m_mouseCol = cell.second;
}

bool DataGrid::mousePressed(QWidget *surface, QMouseEvent *event)
{
    const QPoint position = event->position().toPoint();
    trackMouse(surface, position);
    m_clickEditTimer.stop();
    m_pressedLink = {-1, -1};
    m_pressedOnCurrent = m_mouseRow >= FixedRows() && m_mouseRow == Row() && m_mouseCol == Col();

    bool cancel = false;
    const QPoint at = toGrid(surface, position);
    Q_EMIT MouseButtonPress(InputEvents::buttonCode(event->button()), InputEvents::shiftState(event->modifiers()),
                            Twips::fromPixels(at.x()), Twips::fromPixels(at.y()), cancel);
    if (cancel)
        return true;

    const int row = m_mouseRow;
    const int col = m_mouseCol;
    if (row < FixedRows() || col < 0)
        return false;
    const QRect cell = QRect(m_view->cellRect(row, col)).translated(-surface->mapTo(m_view, QPoint()));
    const QModelIndex index = m_model->index(row, col);
    if (event->button() == Qt::LeftButton) {
        const QRect expander = m_delegate->expanderRect(cell, index);
        if (expander.contains(position)) {
            setRowCollapsed(row, !RowCollapsed(row));
            return true;
        }
    }
    if (col < FixedCols()) {
        // Fixed cells are never current; a press there picks their row.
        SelectRow(row);
        m_view->setFocus(Qt::MouseFocusReason);
        return true;
    }
    if (event->button() == Qt::LeftButton) {
        if (ColumnType(col) == OutlineModel::BooleanType && m_delegate->checkBoxRect(cell).contains(position)) {
            m_view->setCurrentIndex(index);
            m_view->setFocus(Qt::MouseFocusReason);
            toggleCheck(row, col);
            return true;
        }
        if (IsCellHyperlink(row, col))
            m_pressedLink = {row, col};
    }
    return false;
}

bool DataGrid::mouseReleased(QWidget *surface, QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return false;
    trackMouse(surface, event->position().toPoint());
    const QPair<int, int> link = m_pressedLink;
    const bool pressedOnCurrent = m_pressedOnCurrent;
    m_pressedLink = {-1, -1};
    m_pressedOnCurrent = false;
    const QPair<int, int> cell(m_mouseRow, m_mouseCol);
    if (link.first >= 0 && link == cell && IsCellHyperlink(cell.first, cell.second)) {
        Q_EMIT HyperlinkClick(cell.second, cell.first, CellText(cell.first, cell.second));
        return false;
    }
    if (pressedOnCurrent && Editable() == OutlineModel::EditByKeyboardAndMouse && cell.first == Row()
        && cell.second == Col() && CanEditCell(cell.first, cell.second)
        && ColumnType(cell.second) == OutlineModel::TextType)
        m_clickEditTimer.start();
    return false;
}

bool DataGrid::mouseDoubleClicked(QWidget *surface, QMouseEvent *event)
{
    m_clickEditTimer.stop();
    trackMouse(surface, event->position().toPoint());
    const int row = m_mouseRow;
    if (event->button() != Qt::LeftButton || row < FixedRows())
        return true;
    if (m_mouseCol == m_delegate->treeColumn() && RowIsNode(row) && m_model->RowHasChildren(row)) {
        setRowCollapsed(row, !RowCollapsed(row));
        return true;
    }
    Q_EMIT RowDoubleClick();
    return true;
}

void DataGrid::mouseMoved(QWidget *surface, QMouseEvent *event)
{
    trackMouse(surface, event->position().toPoint());
    const bool overLink = IsCellHyperlink(m_mouseRow, m_mouseCol);
    if (overLink && surface->cursor().shape() != Qt::PointingHandCursor)
        surface->setCursor(Qt::PointingHandCursor);
    else if (!overLink && surface->testAttribute(Qt::WA_SetCursor))
        surface->unsetCursor();
}

bool DataGrid::keyPressed(QKeyEvent *event)
{
    if (m_view->isEditing())
        return false;
    const int row = Row();
    const int col = Col();
    if (row < FixedRows())
        return false;
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const bool folder = RowIsNode(row) && m_model->RowHasChildren(row);
    switch (event->key()) {
    case Qt::Key_Plus:
        if (!folder)
            return false;
        setRowCollapsed(row, false);
        return true;
    case Qt::Key_Minus:
        if (folder && !RowCollapsed(row)) {
            setRowCollapsed(row, true);
            return true;
        }
        if (const int parent = NodeRow(row, OutlineModel::ParentNode); parent >= 0) {
            setRowCollapsed(parent, true);
            SelectRow(parent);
            return true;
        }
        return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!plain)
            return false;
        // Enter edits the cell where an editor opens, and opens the row everywhere else.
        if (!(CanEditCell(row, col) && ColumnType(col) == OutlineModel::TextType && BeginCellEdit(row, col)))
            Q_EMIT RowDoubleClick();
        return true;
    case Qt::Key_Space:
        if (!plain || ColumnType(col) != OutlineModel::BooleanType || !CanEditCell(row, col))
            return false;
        toggleCheck(row, col);
        return true;
    case Qt::Key_F10:
        if (event->modifiers() != Qt::ShiftModifier)
            return false;
        Q_EMIT ContextMenuRequest(row, false);
        return true;
    default:
        return false;
    }
}

void DataGrid::contextMenu(QWidget *surface, QContextMenuEvent *event)
{
    if (event->reason() == QContextMenuEvent::Keyboard) {
        Q_EMIT ContextMenuRequest(Row(), false);
        return;
    }
    trackMouse(surface, event->pos());
    if (surface == m_view)  // over the frame or a scroll bar: no cell
        return;
    Q_EMIT ContextMenuRequest(m_mouseRow, true);
}

bool DataGrid::dragEvent(QWidget *surface, QEvent *event)
{
    if (event->type() == QEvent::DragLeave)
        return true;
    auto *drop = static_cast<QDropEvent *>(event);
    if (m_dropMode != 1 || !drop->mimeData() || !drop->mimeData()->hasFormat(rowMimeType())) {
        drop->ignore();
        return true;
    }
    const QPoint position = drop->position().toPoint();
    trackMouse(surface, position);
    if (event->type() != QEvent::Drop) {
        drop->acceptProposedAction();
        return true;
    }
    drop->accept();
    const QPoint at = toGrid(surface, position);
    const int effect = drop->dropAction() == Qt::MoveAction ? DropMove : DropCopy;
    Q_EMIT DragDrop(QVariant(drop->mimeData()->data(rowMimeType()).toInt()), effect,
                    InputEvents::buttonCode(drop->buttons()), InputEvents::shiftState(drop->modifiers()),
                    Twips::fromPixels(at.x()), Twips::fromPixels(at.y()));
    return true;
}

void DataGrid::toggleCheck(int row, int col)
{
    bool cancel = false;
    Q_EMIT BeforeCellEdit(row, col, cancel);
    if (cancel)
        return;
    setCellText(row, col, CellValue(row, col) != 0 ? QStringLiteral("False") : QStringLiteral("True"));
    Q_EMIT CellEdited(row, col);
}

} // namespace Torva
