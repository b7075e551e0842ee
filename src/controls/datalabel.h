#pragma once

#include <QLabel>

// A label that shows a value (the user and date of the last change); the
// user cannot change it.
class DataLabel : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption USER true)
    Q_PROPERTY(QString Tag READ Tag WRITE setTag)

public:
    explicit DataLabel(QWidget *parent = nullptr);

    QString Caption() const { return text(); }
    void setCaption(const QString &caption);
    QString Tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_tag;
};
