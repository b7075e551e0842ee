#include "outlinedelegate.h"

#include "controls/outlinemodel.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>

namespace Torva {

namespace {

constexpr int CellPadding = 3;
constexpr int ExpanderSize = 9;

} // namespace

OutlineDelegate::OutlineDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

int OutlineDelegate::treeIndent(const QModelIndex &index) const
{
    if (index.column() != m_treeColumn)
        return 0;
    return (index.data(OutlineModel::LevelRole).toInt() + 1) * m_indentation;
}

QRect OutlineDelegate::expanderRect(const QRect &cell, const QModelIndex &index) const
{
    if (index.column() != m_treeColumn || !index.data(OutlineModel::NodeRole).toBool()
        || !index.data(OutlineModel::HasChildrenRole).toBool())
        return QRect();
    const int left = cell.left() + CellPadding + index.data(OutlineModel::LevelRole).toInt() * m_indentation;
    // The whole indentation step is the click target; the box is drawn in its middle.
    return QRect(left, cell.top(), m_indentation, cell.height());
}

QRect OutlineDelegate::checkBoxRect(const QRect &cell) const
{
    const int size = qMin(13, cell.height() - 2);
    return QRect(cell.center().x() - size / 2, cell.center().y() - size / 2, size, size);
}

QColor OutlineDelegate::background(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QPalette &palette = option.palette;
    if (option.state & QStyle::State_Selected)
        return m_colors.backSelected.isValid() ? m_colors.backSelected
                                               : palette.color(QPalette::Active, QPalette::Highlight);
    if (index.data(OutlineModel::FixedRole).toBool())
        return m_colors.backFixed.isValid() ? m_colors.backFixed : palette.color(QPalette::Active, QPalette::Button);
    return index.data(OutlineModel::AlternateRole).toBool() ? m_colors.backAlternate : m_colors.back;
}

QColor OutlineDelegate::foreground(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // Fixed cells are not enabled items, yet they read as plainly as the rest.
    if (option.state & QStyle::State_Selected)
        return m_colors.foreSelected.isValid() ? m_colors.foreSelected
                                               : option.palette.color(QPalette::Active, QPalette::HighlightedText);
    const QVariant own = index.data(Qt::ForegroundRole);
    if (own.isValid())
        return own.value<QColor>();
    return m_colors.fore.isValid() ? m_colors.fore : option.palette.color(QPalette::Active, QPalette::Text);
}

void OutlineDelegate::paintExpander(QPainter *painter, const QRect &area, bool collapsed) const
{
    const QRect box(area.center().x() - ExpanderSize / 2, area.center().y() - ExpanderSize / 2, ExpanderSize,
                    ExpanderSize);
    painter->setPen(QColor(120, 128, 140));
    painter->setBrush(Qt::white);
    painter->drawRect(box.adjusted(0, 0, -1, -1));
    painter->setPen(QColor(40, 40, 40));
    const int middleY = box.top() + ExpanderSize / 2;
    const int middleX = box.left() + ExpanderSize / 2;
    painter->drawLine(box.left() + 2, middleY, box.right() - 2, middleY);
    if (collapsed)
        painter->drawLine(middleX, box.top() + 2, middleX, box.bottom() - 2);
}

void OutlineDelegate::paint(QPainter *painter, const QStyleOptionViewItem &styleOption,
                            const QModelIndex &index) const
{
    QStyleOptionViewItem option = styleOption;
    initStyleOption(&option, index);
    painter->save();
    painter->fillRect(option.rect, background(option, index));

    QRect content = option.rect.adjusted(CellPadding, 0, -CellPadding, 0);
    if (index.column() == m_treeColumn) {
        const QRect expander = expanderRect(option.rect, index);
        if (!expander.isEmpty())
            paintExpander(painter, expander, index.data(OutlineModel::CollapsedRole).toBool());
        content.setLeft(content.left() + treeIndent(index));
    }

    const QPixmap picture = index.data(Qt::DecorationRole).value<QPixmap>();
    if (!picture.isNull()) {
        const QSize size = picture.deviceIndependentSize().toSize();
        painter->drawPixmap(content.left(), content.center().y() - size.height() / 2 + 1, picture);
        content.setLeft(content.left() + size.width() + CellPadding);
    }

    if (index.data(OutlineModel::BooleanRole).toBool()) {
        QStyleOptionButton box;
        box.rect = checkBoxRect(option.rect);
        box.state = QStyle::State_Enabled
                    | (index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off);
        const QWidget *widget = option.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, widget);
    } else {
        QFont font = option.font;
        font.setBold(index.data(OutlineModel::BoldRole).toBool());
        font.setUnderline(index.data(OutlineModel::UnderlineRole).toBool());
        painter->setFont(font);
        painter->setPen(foreground(option, index));
        const QFontMetrics metrics(font);
        const QString text = metrics.elidedText(option.text, Qt::ElideRight, content.width());
        const auto alignment = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
        painter->drawText(content, int(alignment) | Qt::TextSingleLine, text);
    }

    if (m_gridLines) {
        painter->setPen(m_colors.gridLines);
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
    }
    if (!index.data(OutlineModel::ErrorRole).toString().isEmpty()) {
        painter->setPen(QPen(m_colors.error, 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option.rect.adjusted(1, 1, -1, -1));
    }
    if (option.state & QStyle::State_HasFocus) {
        painter->setPen(QPen(foreground(option, index), 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option.rect.adjusted(1, 1, -2, -2));
    }
    painter->restore();
}

QSize OutlineDelegate::sizeHint(const QStyleOptionViewItem &styleOption, const QModelIndex &index) const
{
    QStyleOptionViewItem option = styleOption;
    initStyleOption(&option, index);
    QFont font = option.font;
    font.setBold(index.data(OutlineModel::BoldRole).toBool());
    const QFontMetrics metrics(font);
    int width = 3 * CellPadding + treeIndent(index) + metrics.horizontalAdvance(option.text) + 2;
    const QPixmap picture = index.data(Qt::DecorationRole).value<QPixmap>();
    if (!picture.isNull())
        width += picture.deviceIndependentSize().toSize().width() + CellPadding;
    if (index.data(OutlineModel::BooleanRole).toBool())
        width = qMax(width, 20);
    return QSize(width, qMax(metrics.height() + 4, 18));
}

QWidget *OutlineDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const
{
    auto *editor = new QLineEdit(parent);
    editor->setFrame(false);
    return editor;
}

void OutlineDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *line = qobject_cast<QLineEdit *>(editor);
    if (!line)
        return;
    line->setText(index.data(Qt::EditRole).toString());
    if (m_selectAll)
        line->selectAll();
    else
        line->end(false);
}

} // namespace Torva
