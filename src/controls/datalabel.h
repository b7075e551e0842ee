#pragma once

#include <TORVAProbationParties/torvaprobationparties_export.h>

#include <QLabel>

namespace Torva {

/// A label that shows a value (the user and date of the last change); the
/// user cannot change it. A value wider than the label keeps the label's
/// width: it is shown cut with an ellipsis, and the whole of it is the
/// label's tooltip and accessible description.
class TORVA_EXPORT DataLabel : public QLabel
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
    /// Whether the caption is wider than the label shows.
    bool isElided() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QRect textArea() const;
    void offerWholeText();

    QString m_tag;
};

} // namespace Torva
