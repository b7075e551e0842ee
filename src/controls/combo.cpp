#include "combo.h"

#include "casevalidator.h"
#include "listpopup.h"
#include "twips.h"

#include "data/dataaccesserror.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>

namespace Torva {

namespace {
// Shows the list's display column in bold.
class BoldDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->font.setBold(true);
    }
};
} // namespace

Combo::Combo(QWidget *parent)
    : QWidget(parent)
    , m_edit(new QLineEdit(this))
    , m_button(new QToolButton(this))
    , m_popup(new ListPopup(m_edit))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_button);
    setFocusProxy(m_edit);
    setFocusPolicy(Qt::StrongFocus);
    setCaseType(m_caseType);

    m_button->setArrowType(Qt::DownArrow);
    m_button->setFixedWidth(16);
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setToolTip(tr("Show the list (Alt+Down)"));
    connect(m_button, &QToolButton::clicked, this, &Combo::showPopup);

    m_popup->setModel(&m_model);
    connect(m_popup, &ListPopup::rowPicked, this, &Combo::pickRow);
    connect(m_popup, &ListPopup::openRequested, this, &Combo::catchUp);
    connect(m_popup, &ListPopup::aboutToMove, this, &Combo::catchUp);
    connect(&m_model, &QAbstractItemModel::modelReset, this, &Combo::applyColumnSettings);

    m_edit->installEventFilter(this);
    connect(m_edit, &QLineEdit::textEdited, this, &Combo::userTyped);
    connect(m_edit, &QLineEdit::editingFinished, this, [this] {
        // A row found by its code shows its display text once the user moves on.
        if (m_row >= 0 && !m_popup->isVisible() && m_edit->text() != displayText(m_row)) {
            CaseValidator::setTextAsGiven(m_edit, displayText(m_row));
            Q_EMIT textChanged(m_edit->text());
        }
    });

    m_searchTimer.setSingleShot(true);
    m_searchTimer.setInterval(SearchDelayMs);
    connect(&m_searchTimer, &QTimer::timeout, this, &Combo::search);
}

Combo::~Combo()
{
    // The edit box outlives this object's members while QWidget ends: its
    // focus-out and editingFinished must not reach a half-destroyed combo.
    m_edit->removeEventFilter(this);
    m_edit->disconnect(this);
}

void Combo::setCaseType(int caseType)
{
    m_caseType = caseType;
    delete m_edit->validator();
    m_edit->setValidator(new CaseValidator(caseType, m_edit));
}

void Combo::setCols(int cols)
{
    m_cols = cols;
    applyColumnSettings();
}

int Combo::MaxLength() const
{
    return m_edit->maxLength();
}

void Combo::setMaxLength(int length)
{
    m_edit->setMaxLength(length > 0 ? length : 32767);
}

void Combo::setColumnHeaders(bool shown)
{
    m_columnHeaders = shown;
    m_popup->view()->horizontalHeader()->setVisible(shown);
}

QString Combo::Text() const
{
    return m_edit->text();
}

void Combo::SetFocus()
{
    m_edit->setFocus(Qt::OtherFocusReason);
}

void Combo::setText(const QString &text)
{
    m_searchTimer.stop();
    CaseValidator::setTextAsGiven(m_edit, text);
    setCurrentRow(rowWithDisplayText(m_edit->text()));
    Q_EMIT textChanged(m_edit->text());
}

QVariant Combo::Value() const
{
    return m_row < 0 ? QVariant() : m_model.value(m_row, m_valueColumn);
}

void Combo::setValue(const QVariant &value)
{
    int found = -1;
    const QString code = value.toString();
    for (int row = 0; row < m_model.rowCount() && found < 0 && !code.isEmpty(); ++row) {
        if (m_model.value(row, m_valueColumn).toString() == code)
            found = row;
    }
    CaseValidator::setTextAsGiven(m_edit, found >= 0 ? displayText(found) : code);
    setCurrentRow(found);
    Q_EMIT textChanged(m_edit->text());
}

void Combo::LoadList()
{
    m_searchTimer.stop();
    m_model.load(m_searchList ? m_edit->text() : QString());
    setCurrentRow(rowWithDisplayText(m_edit->text()));
}

bool Combo::MatchFound() const
{
    return m_row >= 0;
}

QVariant Combo::Columns(const QString &key) const
{
    return m_row < 0 ? QVariant() : m_model.value(m_row, key);
}

void Combo::setColumnWidth(const QString &key, int twips)
{
    m_widths.insert(key.toUpper(), twips);
    applyColumnSettings();
}

int Combo::columnWidth(const QString &key) const
{
    return m_widths.value(key.toUpper(), -1);
}

void Combo::catchUp()
{
    if (!m_model.isLoaded() || (m_searchList && m_model.typedText() != m_edit->text()))
        search();
}

void Combo::showPopup()
{
    if (!isEnabled())
        return;
    catchUp();
    m_popup->open(this);
    m_popup->setCurrentRow(m_row >= 0 ? m_row : rowStartingWith(m_edit->text()));
}

void Combo::userTyped(const QString &text)
{
    if (m_searchList) {
        setCurrentRow(-1);
        if (text.size() < m_minChars) {
            m_searchTimer.stop();
            m_popup->hide();
        } else if (text.size() <= 1) {
            search();  // the first letter lists at once
        } else {
            m_searchTimer.start();
        }
    } else {
        setCurrentRow(rowWithDisplayText(text));
        if (m_popup->isVisible())
            m_popup->setCurrentRow(rowStartingWith(text));
    }
    Q_EMIT textChanged(text);
    Q_EMIT Change();
}

void Combo::search()
{
    m_searchTimer.stop();
    try {
        LoadList();
    } catch (const DataAccessError &) {
        return;  // reported through the table object's Error signal
    }
    if (m_searchList && m_popup->isVisible() && m_model.rowCount() == 0) {
        m_popup->hide();  // nothing begins with the text: the keys go back to the box
    } else if (m_searchList && m_edit->hasFocus() && !m_edit->text().isEmpty() && m_model.rowCount() > 0
               && !m_popup->isVisible()) {
        m_popup->open(this);
    }
    if (m_popup->isVisible()) {
        m_popup->open(this);  // as tall and wide as the rows it lists now
        m_popup->setCurrentRow(m_row >= 0 ? m_row : 0);
    }
}

void Combo::pickRow(int row)
{
    m_searchTimer.stop();
    CaseValidator::setTextAsGiven(m_edit, displayText(row));
    setCurrentRow(row);
    m_edit->setFocus(Qt::PopupFocusReason);
    Q_EMIT textChanged(m_edit->text());
    Q_EMIT Change();
    Q_EMIT activated(row);
}

void Combo::setCurrentRow(int row)
{
    if (row == m_row)
        return;
    m_row = row;
    Q_EMIT valueChanged();
}

QString Combo::displayText(int row) const
{
    return m_model.value(row, m_displayColumn).toString();
}

int Combo::rowStartingWith(const QString &text) const
{
    for (int row = 0; row < m_model.rowCount() && !text.isEmpty(); ++row) {
        if (displayText(row).startsWith(text, Qt::CaseInsensitive))
            return row;
    }
    return -1;
}

int Combo::rowWithDisplayText(const QString &text) const
{
    if (text.isEmpty())
        return -1;
    for (int row = 0; row < m_model.rowCount(); ++row) {
        if (displayText(row).compare(text, Qt::CaseInsensitive) == 0)
            return row;
    }
    // A code typed where a code list shows descriptions (M for Male) finds
    // its row too; a search list is searched by what it shows, never by code.
    if (!m_searchList && m_valueColumn != m_displayColumn) {
        for (int row = 0; row < m_model.rowCount(); ++row) {
            if (m_model.value(row, m_valueColumn).toString().compare(text, Qt::CaseInsensitive) == 0)
                return row;
        }
    }
    return -1;
}

void Combo::applyColumnSettings()
{
    QMap<int, int> widths;
    for (int column = 0; column < m_model.columnCount(); ++column) {
        const int twips = m_widths.value(m_model.fieldNames().at(column), -1);
        if (m_cols > 0 && column >= m_cols)
            widths.insert(column, 0);
        else if (twips >= 0)
            widths.insert(column, Twips::toPixels(twips));
    }
    m_popup->setColumnWidths(widths);
    QTableView *view = m_popup->view();
    for (int column = 0; column < m_model.columnCount(); ++column)
        view->setItemDelegateForColumn(column, nullptr);
    if (m_boldDisplay)
        view->setItemDelegateForColumn(m_displayColumn, new BoldDelegate(view));
}

bool Combo::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_F4 || (key->key() == Qt::Key_Down && key->modifiers() & Qt::AltModifier)) {
            showPopup();
            return true;
        }
        if (m_popup->handleEditorKey(key, this))
            return true;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Enter on a text that is a row's, with the list closed, chooses that row.
            if (!m_searchList || m_edit->text().size() >= qMax(1, m_minChars))
                catchUp();
            if (m_row >= 0)
                Q_EMIT activated(m_row);
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace Torva
