#include "datalabel.h"

#include <QPainter>
#include <QStyle>

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
    // A value wider than the label is shown cut with an ellipsis; the whole of it in the tooltip.
    setToolTip(fontMetrics().horizontalAdvance(caption) + 2 * indent() + 2 * frameWidth() > width() ? caption : QString());
}

void DataLabel::paintEvent(QPaintEvent *event)
{
    const QRect area = contentsRect().adjusted(indent(), 0, -indent(), 0);
    if (fontMetrics().horizontalAdvance(text()) <= area.width()) {
        QLabel::paintEvent(event);
        return;
    }
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(area, int(alignment()), fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
}
