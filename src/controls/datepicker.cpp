#include "datepicker.h"

#include "base/messageservice.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QWidgetAction>

namespace Torva {

namespace {
const QString Format = QStringLiteral("MM/dd/yyyy");
}

DatePicker::DatePicker(QWidget *parent)
    : QWidget(parent)
    , m_edit(new DigitsBox(QStringLiteral("00/00/0000"), this))
    , m_button(new QToolButton(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_button);

    m_edit->installEventFilter(this);
    setFocusProxy(m_edit);
    setFocusPolicy(Qt::StrongFocus);

    m_button->setArrowType(Qt::DownArrow);
    m_button->setFixedWidth(16);
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setToolTip(tr("Pick a date (Alt+Down)"));
    connect(m_button, &QToolButton::clicked, this, &DatePicker::showCalendar);

    connect(m_edit, &QLineEdit::textEdited, this, [this] {
        takeTypedText(false);
        Q_EMIT Change();  // every key the user types is an edit, finished date or not
    });
}

DatePicker::~DatePicker()
{
    // The edit box outlives this object's members while QWidget ends.
    m_edit->removeEventFilter(this);
    m_edit->disconnect(this);
}

QDate DatePicker::toDate(int value)
{
    return value <= 0 ? QDate() : QDate(value / 10000, value / 100 % 100, value % 100);
}

int DatePicker::toNumber(const QDate &date)
{
    return date.isValid() ? date.year() * 10000 + date.month() * 100 + date.day() : 0;
}

void DatePicker::setValue(int value)
{
    setValueFrom(value, Source::Code);
}

void DatePicker::setMinDate(const QDate &date)
{
    m_minDate = date;
}

void DatePicker::setMaxDate(const QDate &date)
{
    m_maxDate = date;
}

void DatePicker::SetFocus()
{
    m_edit->setFocus(Qt::OtherFocusReason);
}

QString DatePicker::Text() const
{
    return m_value == 0 ? QString() : toDate(m_value).toString(Format);
}

bool DatePicker::accepts(const QDate &date) const
{
    return date.isValid() && date >= m_minDate && date <= m_maxDate;
}

void DatePicker::setValueFrom(int value, Source source)
{
    const QDate date = toDate(value);
    const int accepted = value <= 0 || !date.isValid() ? 0 : value;
    const bool changed = accepted != m_value;
    m_value = accepted;
    if (source != Source::Typed)
        m_valueBeforeTyping = accepted;
    forgetRefusal();
    if (source != Source::Typed)
        showValue();  // typed text stays as the user has it, cursor and all
    if (changed) {
        Q_EMIT valueChanged(m_value);
        if (source == Source::Picked)
            Q_EMIT Change();
    }
}

void DatePicker::showValue()
{
    m_edit->setText(m_value == 0 ? QString() : toDate(m_value).toString(QStringLiteral("MMddyyyy")));
}

void DatePicker::takeTypedText(bool leaving)
{
    const QString digits = m_edit->digits();
    if (digits.isEmpty()) {
        if (leaving)
            setValueFrom(0, Source::Typed);  // the user emptied the box: no date
        return;
    }
    const QDate date = QDate::fromString(digits, QStringLiteral("MMddyyyy"));
    if (digits.size() == 8 && accepts(date)) {
        setValueFrom(toNumber(date), Source::Typed);
        return;
    }
    if (leaving)
        refuse(digits.size() < 8 ? tr("The date is not complete.")
               : !date.isValid()  ? tr("%1 is no date.").arg(m_edit->text())
               : date < m_minDate ? tr("%1 is before %2.").arg(m_edit->text(), m_minDate.toString(Format))
                                  : tr("%1 is after %2.").arg(m_edit->text(), m_maxDate.toString(Format)));
}

void DatePicker::forgetRefusal()
{
    m_edit->setToolTip(QString());
    setAccessibleDescription(QString());
}

void DatePicker::refuse(const QString &why)
{
    // The value the box had before the user typed comes back (not one that
    // the digits passed through on the way), and the user is told why and
    // what the box takes (as every field error is told), then finds the box
    // again.
    setValueFrom(m_valueBeforeTyping, Source::Code);
    const QString message = why + QLatin1Char(' ')
                            + tr("Enter a date from %1 to %2.").arg(m_minDate.toString(Format), m_maxDate.toString(Format));
    m_edit->setToolTip(message);
    setAccessibleDescription(message);
    Q_EMIT inputRejected(message);
    MessageService::instance().showMessage(this, message, MessageService::ErrorTitle);
    QTimer::singleShot(0, this, [this] { SetFocus(); });
}

void DatePicker::showCalendar()
{
    if (!isEnabled())
        return;
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    auto *calendar = new QCalendarWidget(menu);
    calendar->setDateRange(m_minDate, m_maxDate);
    calendar->setSelectedDate(m_value ? toDate(m_value) : qBound(m_minDate, QDate::currentDate(), m_maxDate));
    auto *action = new QWidgetAction(menu);
    action->setDefaultWidget(calendar);
    menu->addAction(action);
    connect(calendar, &QCalendarWidget::activated, menu, [this, menu](const QDate &date) {
        setValueFrom(toNumber(date), Source::Picked);
        menu->close();
    });
    connect(calendar, &QCalendarWidget::clicked, menu, [this, menu](const QDate &date) {
        setValueFrom(toNumber(date), Source::Picked);
        menu->close();
    });
    menu->popup(mapToGlobal(QPoint(0, height())));
    calendar->setFocus();
}

bool DatePicker::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::FocusOut) {
        // Leaving the box takes what was typed; the calendar or another
        // window taking the focus for a while is not leaving it.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            takeTypedText(true);
            m_valueBeforeTyping = m_value;
        }
    }
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_F4 || (key->key() == Qt::Key_Down && key->modifiers() & Qt::AltModifier)) {
            showCalendar();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace Torva
