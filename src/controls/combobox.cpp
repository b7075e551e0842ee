#include "combobox.h"

#include "controls/inputevents.h"
#include "controls/casevalidator.h"
#include "controls/comboboxcolumns.h"
#include "controls/datagrid.h"
#include "controls/listpopup.h"
#include "controls/twips.h"
#include "data/dataaccesserror.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace Torva {

namespace {

constexpr int ListRowsShown = 8;

} // namespace

ComboBox::ComboBox(QWidget *parent)
    : QWidget(parent)
    , m_model(new RecordSourceModel(this))
    , m_columns(new ComboBoxColumns(this))
    , m_edit(new QLineEdit(this))
    , m_popup(new ListPopup(m_edit))
    , m_addButton(new QToolButton)
    , m_keys{QStringLiteral("ASCFLG"), QStringLiteral("PTYKEY"), QStringLiteral("PTYNAM"), QStringLiteral("PTYBDT")}
    , m_widths{0, 0, 0, 0}
    , m_hidden{false, false, false, false}
    , m_alignments{0, 2, 1, 2}
    , m_captionAlignments{0, 2, 1, 2}
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_edit);
    setFocusProxy(m_edit);
    m_edit->setMaxLength(30);
    // Names are on file in upper case: what the user types is too, so that
    // "doe, j" finds DOE, JANE.
    m_edit->setValidator(new CaseValidator(CaseValidator::UpperCase, m_edit));
    m_edit->installEventFilter(this);
    m_model->setHeaderCaptions({QStringLiteral("Type"), QStringLiteral("Key"), QStringLiteral("Name"),
                                QStringLiteral("DOB")});
    m_columns->setSourceModel(m_model);
    m_columns->setAlignments(m_alignments);
    m_columns->setCaptionAlignments(m_captionAlignments);

    m_popup->setModel(m_columns);
    m_popup->setVisibleRows(ListRowsShown);
    m_addButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_addButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_popup->setFooter(m_addButton);

    connect(m_popup, &ListPopup::rowPicked, this,
            [this](int row) { InputEvents::atEventBoundary("ComboBox: a pick", [&] { pick(row); }); });
    connect(m_addButton, &QToolButton::clicked, this,
            [this] { InputEvents::atEventBoundary("ComboBox: adding a name", [this] { requestAdd(); }); });
    connect(m_edit, &QLineEdit::textEdited, this, &ComboBox::typed);
    connect(m_model, &QAbstractItemModel::modelReset, this, &ComboBox::applyColumns);
    m_searchTimer.setSingleShot(true);
    m_searchTimer.setInterval(150);
    connect(&m_searchTimer, &QTimer::timeout, this,
            [this] { InputEvents::atEventBoundary("ComboBox: the search", [this] { Search(); }); });
}

ComboBox::~ComboBox() = default;

QTableView *ComboBox::listView() const
{
    return m_popup->view();
}

void ComboBox::setRecordSource(const QString &source)
{
    m_model->setRecordSource(source);
}

QString ComboBox::EditText() const
{
    return m_edit->text();
}

void ComboBox::setEditText(const QString &text)
{
    CaseValidator::setTextAsGiven(m_edit, text);
}

int ComboBox::MaxLength() const
{
    return m_edit->maxLength();
}

void ComboBox::setMaxLength(int length)
{
    m_edit->setMaxLength(length > 0 ? length : 32767);
}

void ComboBox::setAllowAddRecord(bool allow)
{
    m_allowAdd = allow;
    m_addButton->setVisible(allow);
}

void ComboBox::setWidthItems(const QList<int> &twips)
{
    m_widths = twips;
    applyColumns();
}

void ComboBox::setHiddenItems(const QList<bool> &hidden)
{
    m_hidden = hidden;
    applyColumns();
}

void ComboBox::setAlignmentItems(const QList<int> &codes)
{
    m_alignments = codes;
    m_columns->setAlignments(codes);
}

void ComboBox::setFixedAlignmentItems(const QList<int> &codes)
{
    m_captionAlignments = codes;
    m_columns->setCaptionAlignments(codes);
}

void ComboBox::applyColumns()
{
    // Hidden columns get no width, set widths are kept, and the rest fit
    // what they show when the list opens, rows read since included.
    QMap<int, int> widths;
    for (int col = 0; col < m_columns->columnCount(); ++col) {
        if (m_hidden.value(col))
            widths.insert(col, 0);
        else if (m_widths.value(col) > 0)
            widths.insert(col, Twips::toPixels(m_widths.value(col)));
    }
    m_popup->setColumnWidths(widths);
    if (m_popup->isVisible())
        m_popup->open(this);
}

int ComboBox::ListCount() const
{
    return m_model->rowCount();
}

int ComboBox::ListIndex() const
{
    return m_popup->currentRow();
}

void ComboBox::setListIndex(int row)
{
    m_popup->setCurrentRow(row);
}

QVariant ComboBox::Columns(const QString &key) const
{
    int col = -1;
    for (int at = 0; at < m_keys.size() && col < 0; ++at) {
        if (m_keys.at(at).compare(key, Qt::CaseInsensitive) == 0)
            col = at;
    }
    if (col < 0)
        col = m_model->fieldIndex(key);
    const int row = ListIndex();
    return row >= 0 && col >= 0 ? m_model->value(row, col) : QVariant();
}

int ComboBox::keyCode(const QKeyEvent *event)
{
    const int key = event->key();
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key;  // Qt's letter keys are the upper-case character codes
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 112 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    default: {
        const QString text = event->text();
        return text.size() == 1 ? text.at(0).toUpper().unicode() : key;
    }
    }
}

void ComboBox::EditCell()
{
    if (!m_grid || m_grid->Row() < 0 || m_grid->Col() < 0)
        return;
    m_row = m_grid->Row();
    m_col = m_grid->Col();
    const QRect cell = m_grid->CellRect(m_row, m_col);
    if (cell.isEmpty())
        return;
    if (!parentWidget())
        setParent(m_grid);
    const QPoint topLeft = parentWidget()->mapFromGlobal(m_grid->mapToGlobal(cell.topLeft()));
    setGeometry(QRect(topLeft, QSize(cell.width(), qMax(cell.height(), m_edit->sizeHint().height()))));

    m_searchTimer.stop();
    m_model->clear();
    m_editing = true;
    CaseValidator::setTextAsGiven(m_edit, m_grid->CellText(m_row, m_col));
    m_edit->selectAll();
    show();
    raise();
    m_edit->setFocus(Qt::OtherFocusReason);
    if (!EditText().isEmpty())
        Search();
}

void ComboBox::typed()
{
    m_searchTimer.start();
}

void ComboBox::Search()
{
    runSearch();
    if (isVisible())
        showList();
}

void ComboBox::runSearch()
{
    m_searchTimer.stop();
    const QString text = EditText();
    if (text.isEmpty()) {
        m_model->clear();
    } else {
        try {
            m_model->load(text);
        } catch (const DataAccessError &) {
            // Reported through the table object's Error signal; the list stays empty.
            m_model->clear();
        }
    }
    setListIndex(0);
}

void ComboBox::showList()
{
    const bool offerAdd = m_allowAdd && !EditText().isEmpty();
    if (ListCount() == 0 && !offerAdd) {
        m_popup->hide();
        return;
    }
    m_addButton->setText(tr("Add \u201c%1\u201d\u2026").arg(EditText()));
    m_addButton->setVisible(offerAdd);
    m_popup->view()->setVisible(ListCount() > 0);
    m_popup->open(this);
}

void ComboBox::moveInList(int rows)
{
    if (m_searchTimer.isActive() || (!m_model->isLoaded() && !EditText().isEmpty()))
        Search();
    if (ListCount() == 0)
        return;
    int row = qBound(0, ListIndex() + rows, ListCount() - 1);
    if (row == ListCount() - 1 && rows > 0 && m_model->canFetchMore(QModelIndex())) {
        m_model->fetchMore(QModelIndex());
        row = qBound(0, ListIndex() + rows, ListCount() - 1);
    }
    setListIndex(row);
    showList();
}

void ComboBox::writeCell(const QString &text)
{
    if (m_grid)
        m_grid->setCellText(m_row, m_col, text);
}

void ComboBox::pick(int row)
{
    if (!m_editing || row < 0 || row >= ListCount())
        return;
    setListIndex(row);
    writeCell(m_model->value(row, m_dataField).toString());
    CaseValidator::setTextAsGiven(m_edit, m_model->value(row, m_displayField).toString());
    finishEntry();
}

void ComboBox::acceptEntry()
{
    // Typed faster than the search follows: the search catches up without
    // showing a list that the pick would close again at once.
    if (m_searchTimer.isActive())
        runSearch();
    if (ListIndex() >= 0)
        pick(ListIndex());
    else if (m_allowAdd && !EditText().isEmpty())
        requestAdd();
    else
        finishEntry();
}

void ComboBox::requestAdd()
{
    if (!m_editing || !m_allowAdd)
        return;
    QVariant id;
    Q_EMIT AddRecordRequest(id);
    bool isNumber = false;
    const qlonglong key = id.toLongLong(&isNumber);
    if (!isNumber || key <= 0)
        return;  // declined: the user may go on typing
    // The host has dealt with the new record; there is no list row to report.
    writeCell(EditText());
    setListIndex(-1);
    m_editing = false;
    hide();
}

void ComboBox::finishEntry()
{
    m_editing = false;
    m_searchTimer.stop();
    hide();
    Q_EMIT EntryFinished();
}

void ComboBox::hideEvent(QHideEvent *event)
{
    m_searchTimer.stop();
    m_popup->hide();
    // An entry that ends with the keyboard here (a pick, Enter, Escape, an
    // added name) hands it back to the grid, on the cell it edited, before
    // Qt would pass it on to the next widget of the window. The window's
    // own focus widget is asked: after a click in the list the window may
    // not have the keyboard back from the list yet.
    QWidget *focus = window()->focusWidget();
    if (m_grid && focus && (focus == this || isAncestorOf(focus)))
        m_grid->view()->setFocus(Qt::OtherFocusReason);
    QWidget::hideEvent(event);
}

bool ComboBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_edit)
        return QWidget::eventFilter(watched, event);
    // The edit box's events are the combo's boundary: nothing thrown by a handler goes past it.
    bool handled = false;
    InputEvents::atEventBoundary("ComboBox: a key", [&] {
        if (event->type() == QEvent::KeyPress)
            handled = editKeyPressed(static_cast<QKeyEvent *>(event));
        if (event->type() == QEvent::FocusOut && m_editing && isVisible()) {
            const auto reason = static_cast<QFocusEvent *>(event)->reason();
            QWidget *focus = QApplication::focusWidget();
            const bool stillHere = focus && isAncestorOf(focus);
            if (!stillHere && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
                m_editing = false;  // clicked away: the entry is dropped
                hide();
            }
        }
    });
    return handled;
}

bool ComboBox::editKeyPressed(QKeyEvent *event)
{
    int code = keyCode(event);
    int shift = InputEvents::shiftState(event->modifiers());
    Q_EMIT KeyDown(code, shift);
    if (code == 0)
        return true;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Escape:
        if (m_editing)
            finishEntry();
        else
            hide();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (ctrl)
            requestAdd();
        else
            acceptEntry();
        return true;
    case Qt::Key_Tab:
        acceptEntry();
        return true;
    case Qt::Key_Down:
        moveInList(1);
        return true;
    case Qt::Key_Up:
        moveInList(-1);
        return true;
    case Qt::Key_PageDown:
        moveInList(ListRowsShown);
        return true;
    case Qt::Key_PageUp:
        moveInList(-ListRowsShown);
        return true;
    default:
        return false;
    }
}

} // namespace Torva
