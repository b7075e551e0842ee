#include "datalabel.h"

#include <QEvent>
#include <QPainter>

namespace Torva {

DataLabel::DataLabel(QWidget *parent)
    : QLabel(parent)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setIndent(3);
}

void DataLabel::setCaption(const QString &caption)
{
    setText(caption);
    offerWholeText();
}

QRect DataLabel::textArea() const
{
    return contentsRect().adjusted(indent(), 0, -indent(), 0);
}

bool DataLabel::isElided() const
{
    return fontMetrics().horizontalAdvance(text()) > textArea().width();
}

void DataLabel::offerWholeText()
{
    // Whether the text is cut changes with the text, the width and the font.
    const QString whole = isElided() ? text() : QString();
    setToolTip(whole);
    setAccessibleDescription(whole);
}

void DataLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    offerWholeText();
}

void DataLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        offerWholeText();
}

void DataLabel::paintEvent(QPaintEvent *event)
{
    if (!isElided()) {
        QLabel::paintEvent(event);
        return;
    }
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    const QRect area = textArea();
    painter.drawText(area, int(alignment()), fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
}

} // namespace Torva
