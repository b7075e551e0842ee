#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <TORVAProbationParties/controls/digitsbox.h>
#include <TORVAProbationParties/controls/fieldcontrol.h>

#include <QDate>
#include <QWidget>

class QCalendarWidget;
class QLineEdit;
class QToolButton;

namespace Torva {

/// A date that may be empty, typed as MM/DD/YYYY or picked from a calendar
/// (the button, Alt+Down or F4). Its value is the date as the number yyyymmdd,
/// 0 for no date. Only dates from MinDate to MaxDate are taken: a typed date
/// outside them, or no date at all, is refused when the user leaves the box:
/// the last good value comes back, the user is told why and which dates the
/// box takes (a message titled "Error", the box's accessible description and
/// inputRejected), and the focus comes back to the box.
///
/// Change is raised for each key the user types and each date picked from the
/// calendar; valueChanged whenever the value changes, code writes included.
class TORVA_EXPORT DatePicker : public QWidget, public FieldControl
{
    Q_OBJECT
    Q_PROPERTY(int Value READ Value WRITE setValue NOTIFY valueChanged USER true)
    Q_PROPERTY(QDate MinDate READ MinDate WRITE setMinDate)
    Q_PROPERTY(QDate MaxDate READ MaxDate WRITE setMaxDate)
    Q_PROPERTY(QString Tag READ Tag WRITE setTag)

public:
    explicit DatePicker(QWidget *parent = nullptr);
    ~DatePicker() override;

    int Value() const { return m_value; }
    void setValue(int value);
    QDate MinDate() const { return m_minDate; }
    void setMinDate(const QDate &date);
    QDate MaxDate() const { return m_maxDate; }
    void setMaxDate(const QDate &date);
    QString Tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }

    static QDate toDate(int value);
    static int toNumber(const QDate &date);

    bool Enabled() const override { return isEnabled(); }
    void SetFocus() override;
    QString Text() const override;
    qint32 ValueAsLong() const override { return m_value; }

    QLineEdit *lineEdit() const { return m_edit; }
    void showCalendar();

Q_SIGNALS:
    void Change();
    void valueChanged(int value);
    /// The user left the box with a date it cannot take; why, and what it takes.
    void inputRejected(const QString &message);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void takeTypedText(bool leaving);
    enum class Source { Code, Typed, Picked };
    /// Typed keys raise Change themselves; a date picked in the calendar does here.
    void setValueFrom(int value, Source source);
    void showValue();
    bool accepts(const QDate &date) const;
    void refuse(const QString &why);
    void forgetRefusal();

    DigitsBox *m_edit;  // empty, it takes typing from its first place however it got the focus
    QToolButton *m_button;
    int m_value = 0;
    int m_valueBeforeTyping = 0;  // what a refused date gives back: the value when typing began
    QDate m_minDate{1601, 1, 1};
    QDate m_maxDate{9999, 12, 31};
    QString m_tag;
};

} // namespace Torva
