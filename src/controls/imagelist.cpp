#include "imagelist.h"

#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace Torva {

namespace {

using Drawing = std::function<void(QPainter &)>;

const QColor Outline(90, 90, 90);
const QColor FolderBody(240, 196, 88);
const QColor FolderEdge(176, 128, 32);
const QColor FolderFront(252, 220, 128);

QPixmap drawn(int size, const Drawing &draw)
{
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return picture;
}

void folderBack(QPainter &p)
{
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6, 3.5);
    back.lineTo(7.5, 5);
    back.lineTo(14.5, 5);
    back.lineTo(14.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.setPen(QPen(FolderEdge, 1));
    p.setBrush(FolderBody);
    p.drawPath(back);
}

void closedFolder(QPainter &p)
{
    folderBack(p);
    p.setPen(QPen(FolderEdge, 1));
    p.setBrush(FolderFront);
    p.drawRect(QRectF(1.5, 6.5, 13, 7));
}

void openFolder(QPainter &p)
{
    folderBack(p);
    QPainterPath front;
    front.moveTo(1.5, 13.5);
    front.lineTo(4, 7.5);
    front.lineTo(15.5, 7.5);
    front.lineTo(13, 13.5);
    front.closeSubpath();
    p.setPen(QPen(FolderEdge, 1));
    p.setBrush(FolderFront);
    p.drawPath(front);
}

// A head and shoulders centred on x, with its head's top at y.
void person(QPainter &p, qreal x, qreal y, qreal scale, const QColor &color)
{
    p.setPen(QPen(color.darker(150), 1));
    p.setBrush(color);
    p.drawEllipse(QPointF(x, y + 2.5 * scale), 2.5 * scale, 2.5 * scale);
    QPainterPath body;
    body.moveTo(x - 4.5 * scale, y + 11 * scale);
    body.cubicTo(x - 4.5 * scale, y + 6 * scale, x + 4.5 * scale, y + 6 * scale, x + 4.5 * scale, y + 11 * scale);
    body.closeSubpath();
    p.drawPath(body);
}

// A sheet with a folded corner and a few lines of text.
void page(QPainter &p, const QRectF &sheet, const QColor &paper, const QColor &ink)
{
    const qreal fold = 3;
    QPainterPath outline;
    outline.moveTo(sheet.topLeft());
    outline.lineTo(sheet.right() - fold, sheet.top());
    outline.lineTo(sheet.right(), sheet.top() + fold);
    outline.lineTo(sheet.bottomRight());
    outline.lineTo(sheet.bottomLeft());
    outline.closeSubpath();
    p.setPen(QPen(Outline, 1));
    p.setBrush(paper);
    p.drawPath(outline);
    p.drawLine(QPointF(sheet.right() - fold, sheet.top()), QPointF(sheet.right() - fold, sheet.top() + fold));
    p.drawLine(QPointF(sheet.right() - fold, sheet.top() + fold), QPointF(sheet.right(), sheet.top() + fold));
    p.setPen(QPen(ink, 1));
    for (qreal y = sheet.top() + 5; y < sheet.bottom() - 1; y += 2.5)
        p.drawLine(QPointF(sheet.left() + 2, y), QPointF(sheet.right() - 2, y));
}

void gavel(QPainter &p, qreal dx, qreal dy)
{
    p.save();
    p.translate(dx, dy);
    p.setPen(QPen(QColor(92, 56, 24), 1));
    p.setBrush(QColor(150, 96, 48));
    p.rotate(-40);
    p.drawRoundedRect(QRectF(-1, 3, 8, 3.5), 1, 1);     // head
    p.drawRect(QRectF(2.2, 6.5, 1.6, 8));               // handle
    p.restore();
}

void checkBox(QPainter &p, bool checked)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(64, 64, 64), 1));
    p.setBrush(Qt::white);
    p.drawRect(0, 0, 10, 10);
    if (!checked)
        return;
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(20, 20, 20), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(2.5, 5.5);
    tick.lineTo(4.5, 7.5);
    tick.lineTo(8.5, 2.5);
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
}

} // namespace

ImageList::ImageList(QObject *parent)
    : QObject(parent)
{
    const QColor litigantBlue(70, 120, 200);
    const QColor partyGreen(80, 160, 90);
    const QColor aliasGrey(160, 160, 170);
    const QList<QPair<QString, QPixmap>> images{
        {QStringLiteral("Folder"), drawn(16, closedFolder)},
        {QStringLiteral("Minutes"), drawn(16, [](QPainter &p) {
             page(p, QRectF(1.5, 0.5, 10, 14), Qt::white, QColor(120, 140, 180));
             p.setPen(QPen(QColor(40, 60, 120), 1));
             p.setBrush(QColor(230, 238, 255));
             p.drawEllipse(QPointF(11, 11), 4, 4);
             p.drawLine(QPointF(11, 11), QPointF(11, 8.5));
             p.drawLine(QPointF(11, 11), QPointF(13, 11));
         })},
        {QStringLiteral("FolderOpen"), drawn(16, openFolder)},
        {QStringLiteral("Litigant"), drawn(16, [litigantBlue](QPainter &p) {
             person(p, 6.5, 1.5, 1.15, litigantBlue);
             gavel(p, 9, 6);
         })},
        {QStringLiteral("Parties"), drawn(16, [partyGreen](QPainter &p) {
             person(p, 10.5, 1, 1.0, partyGreen.lighter(125));
             person(p, 5.5, 3.5, 1.0, partyGreen);
         })},
        {QStringLiteral("Party"), drawn(16, [partyGreen](QPainter &p) { person(p, 8, 1.5, 1.25, partyGreen); })},
        {QStringLiteral("Hearings"), drawn(16, [](QPainter &p) {
             gavel(p, 2, 3);
             gavel(p, 7, 4);
         })},
        {QStringLiteral("Hearing"), drawn(16, [](QPainter &p) {
             gavel(p, 4, 2);
             p.setPen(QPen(QColor(92, 56, 24), 1));
             p.setBrush(QColor(150, 96, 48));
             p.drawRoundedRect(QRectF(8.5, 12.5, 6, 2.5), 1, 1);  // the block
         })},
        {QStringLiteral("Alias"), drawn(16, [aliasGrey](QPainter &p) {
             person(p, 6, 1.5, 1.1, aliasGrey);
             p.setPen(QPen(QColor(150, 110, 30), 1));
             p.setBrush(QColor(255, 236, 160));
             p.drawRoundedRect(QRectF(8.5, 8.5, 7, 6), 1.5, 1.5);  // the name tag
             p.drawLine(QPointF(10.5, 11.5), QPointF(13.5, 11.5));
         })},
        {QStringLiteral("Attorneys"), drawn(16, [](QPainter &p) {
             p.setPen(QPen(QColor(70, 40, 20), 1));
             p.setBrush(Qt::NoBrush);
             p.drawRoundedRect(QRectF(5.5, 2.5, 5, 3), 1, 1);  // the handle
             p.setBrush(QColor(128, 76, 40));
             p.drawRoundedRect(QRectF(1.5, 4.5, 13, 9.5), 1.5, 1.5);
             p.drawLine(QPointF(1.5, 8.5), QPointF(14.5, 8.5));
             p.setBrush(QColor(230, 190, 80));
             p.drawRect(QRectF(7, 7.5, 2, 2));  // the clasp
         })},
        {QStringLiteral("CheckboxTrue"), drawn(11, [](QPainter &p) { checkBox(p, true); })},
        {QStringLiteral("CheckboxFalse"), drawn(11, [](QPainter &p) { checkBox(p, false); })},
        {QStringLiteral("Documents"), drawn(16, [](QPainter &p) {
             page(p, QRectF(4.5, 0.5, 10, 12), QColor(236, 236, 236), QColor(170, 170, 170));
             page(p, QRectF(1.5, 3.5, 10, 12), Qt::white, QColor(120, 140, 180));
         })},
        {QStringLiteral("Document_Old"), drawn(16, [](QPainter &p) {
             page(p, QRectF(2.5, 0.5, 11, 15), QColor(238, 222, 176), QColor(170, 140, 90));
         })},
        {QStringLiteral("Document"), drawn(16, [](QPainter &p) {
             page(p, QRectF(2.5, 0.5, 11, 15), Qt::white, QColor(120, 140, 180));
         })},
    };
    for (const auto &[key, picture] : images)
        m_images.append({key, picture});
}

QStringList ImageList::Keys() const
{
    QStringList keys;
    for (const Image &image : m_images)
        keys << image.key;
    return keys;
}

QString ImageList::Key(int index) const
{
    return index >= 0 && index < Count() ? m_images.at(index).key : QString();
}

int ImageList::Index(const QString &key) const
{
    for (int index = 0; index < Count(); ++index) {
        if (m_images.at(index).key.compare(key, Qt::CaseInsensitive) == 0)
            return index;
    }
    return -1;
}

QPixmap ImageList::Picture(const QString &key) const
{
    return Picture(Index(key));
}

QPixmap ImageList::Picture(int index) const
{
    return index >= 0 && index < Count() ? m_images.at(index).picture : QPixmap();
}

} // namespace Torva
