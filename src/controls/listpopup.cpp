#include "listpopup.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

namespace Torva {

ListPopup::ListPopup(QWidget *editor)
    : QFrame(editor, Qt::Popup)
    , m_editor(editor)
    , m_view(new QTableView(this))
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(m_view);

    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setAlternatingRowColors(true);
    m_view->setShowGrid(false);
    m_view->setWordWrap(false);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 4);
    m_view->horizontalHeader()->setHighlightSections(false);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The popup is sized to the rows it lists: a short list is not stretched
    // to a scroll area's usual least height, which would leave blank rows.
    m_view->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    // The list never takes the focus: while it is open the keyboard belongs
    // to the popup itself, which uses the keys that move in the list and
    // hands every other key to the edit box, as a completer's popup does.
    m_view->setFocusPolicy(Qt::NoFocus);
    setFocusPolicy(Qt::NoFocus);
    connect(m_view, &QTableView::clicked, this, [this](const QModelIndex &index) {
        hide();
        Q_EMIT rowPicked(index.row());
    });
}

void ListPopup::setModel(QAbstractItemModel *model)
{
    m_view->setModel(model);
}

void ListPopup::setFooter(QWidget *footer)
{
    delete m_footer;
    m_footer = footer;
    if (footer) {
        footer->setFocusPolicy(Qt::NoFocus);
        layout()->addWidget(footer);
    }
}

QSize ListPopup::fittingSize(const QTableView *view, int visibleRows)
{
    // Every shown column whole, room for the vertical scroll bar (a list
    // read a page at a time can always grow), and the rows up to visibleRows.
    const int frame = 2 * view->frameWidth();
    int width = frame + view->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < view->horizontalHeader()->count(); ++column) {
        if (!view->isColumnHidden(column))
            width += view->columnWidth(column);
    }
    const int rows = qBound(1, view->model() ? view->model()->rowCount() : 1, visibleRows);
    const int header = view->horizontalHeader()->isHidden() ? 0 : view->horizontalHeader()->sizeHint().height();
    return QSize(width, frame + header + rows * view->verticalHeader()->defaultSectionSize());
}

void ListPopup::open(QWidget *anchor)
{
    m_view->resizeColumnsToContents();
    for (auto it = m_widths.cbegin(); it != m_widths.cend(); ++it) {
        m_view->setColumnHidden(it.key(), it.value() == 0);
        if (it.value() > 0)
            m_view->setColumnWidth(it.key(), it.value());
    }
    const QMargins margins = layout()->contentsMargins() + contentsMargins();
    QSize content = m_view->isHidden() ? QSize() : fittingSize(m_view, m_visibleRows);
    if (m_footer && !m_footer->isHidden()) {
        const QSize footer = m_footer->sizeHint();
        content = QSize(qMax(content.width(), footer.width()), content.height() + footer.height());
    }
    const QSize list = content.grownBy(margins);
    int width = qMax(anchor->width(), list.width());
    const int height = list.height();

    QPoint below = anchor->mapToGlobal(QPoint(0, anchor->height()));
    if (const QScreen *screen = anchor->screen()) {
        const QRect available = screen->availableGeometry();
        width = qMin(width, available.width());
        if (below.y() + height > available.bottom())
            below.setY(anchor->mapToGlobal(QPoint(0, 0)).y() - height);
        below.setX(qBound(available.left(), below.x(), qMax(available.left(), available.right() - width)));
    }
    setGeometry(QRect(below, QSize(width, height)));
    show();
}

int ListPopup::currentRow() const
{
    return m_view->currentIndex().isValid() ? m_view->currentIndex().row() : -1;
}

void ListPopup::setCurrentRow(int row)
{
    if (!m_view->model() || row < 0 || row >= m_view->model()->rowCount()) {
        m_view->clearSelection();
        m_view->setCurrentIndex(QModelIndex());
        return;
    }
    const QModelIndex index = m_view->model()->index(row, 0);
    m_view->setCurrentIndex(index);
    m_view->selectRow(row);
    m_view->scrollTo(index);
}

bool ListPopup::handleEditorKey(QKeyEvent *event, QWidget *anchor)
{
    switch (event->key()) {
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
        if (!isVisible()) {
            Q_EMIT openRequested();
            open(anchor);
            if (currentRow() < 0)
                setCurrentRow(0);
            return true;
        }
        return moveOrPick(event);
    default:
        return isVisible() && moveOrPick(event);
    }
}

bool ListPopup::moveOrPick(QKeyEvent *event)
{
    if (!isListKey(event->key()))
        return false;
    Q_EMIT aboutToMove();  // the owner brings the list up to date with the text first
    const int rows = m_view->model() ? m_view->model()->rowCount() : 0;
    const int row = currentRow();
    const int page = qMax(1, m_visibleRows - 1);
    switch (event->key()) {
    case Qt::Key_Down: setCurrentRow(qMin(rows - 1, row + 1)); return true;
    case Qt::Key_Up: setCurrentRow(qMax(0, row - 1)); return true;
    case Qt::Key_PageDown: setCurrentRow(qMin(rows - 1, row + page)); return true;
    case Qt::Key_PageUp: setCurrentRow(qMax(0, row - page)); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
        hide();
        if (row >= 0)
            Q_EMIT rowPicked(row);
        return event->key() != Qt::Key_Tab;
    case Qt::Key_Escape:
        hide();
        return true;
    default:
        return false;
    }
}

bool ListPopup::isListKey(int key)
{
    switch (key) {
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Escape:
        return true;
    default:
        return false;
    }
}

bool ListPopup::event(QEvent *event)
{
    // The popup holds the keyboard while it is open and hands every key to
    // the edit box, shortcuts included: the box's owner sees each key once,
    // moves in the list through handleEditorKey(), and the user keeps typing.
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Backtab)
            hide();  // moving back leaves the list as it is, and the text
        QApplication::sendEvent(m_editor, event);
        return true;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:
        QApplication::sendEvent(m_editor, event);
        return true;
    default:
        return QFrame::event(event);
    }
}

} // namespace Torva
