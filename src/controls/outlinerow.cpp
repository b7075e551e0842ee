#include "outlinerow.h"

#include <algorithm>

namespace Torva {

namespace {

QString cleaned(const QString &text)
{
    QString result = text;
    result.replace(OutlineRow::separator(), QLatin1Char(' '));
    return result;
}

// Trailing empty cells are not stored, so that every row keeps one form.
void trimTrailingSeparators(QString &joined)
{
    qsizetype end = joined.size();
    while (end > 0 && joined.at(end - 1) == OutlineRow::separator())
        --end;
    joined.truncate(end);
}

} // namespace

bool OutlineRow::CellExtras::isEmpty() const
{
    return data.isEmpty() && error.isEmpty() && picture.isNull() && !foreColor.isValid() && !bold && !underline
           && !hyperlink;
}

OutlineRow::OutlineRow(int level, bool isNode)
    : m_isNode(isNode)
{
    setLevel(level);
}

QString OutlineRow::text(int column) const
{
    if (column < 0)
        return QString();
    const QStringView all(m_texts);
    qsizetype start = 0;
    for (int i = 0; i < column; ++i) {
        start = all.indexOf(separator(), start);
        if (start < 0)
            return QString();
        ++start;
    }
    const qsizetype end = all.indexOf(separator(), start);
    return all.mid(start, end < 0 ? -1 : end - start).toString();
}

void OutlineRow::setText(int column, const QString &text)
{
    if (column < 0)
        return;
    // Find the cell's span and replace it in place: formatting thousands of
    // rows calls this for every row.
    qsizetype start = 0;
    int cell = 0;
    for (; cell < column; ++cell) {
        const qsizetype next = m_texts.indexOf(separator(), start);
        if (next < 0)
            break;
        start = next + 1;
    }
    if (cell < column) {
        if (text.isEmpty())
            return;  // cells past the last stored one are empty already
        m_texts.append(QString(column - cell, separator()));
        start = m_texts.size();
    }
    const qsizetype end = m_texts.indexOf(separator(), start);
    m_texts.replace(start, (end < 0 ? m_texts.size() : end) - start, cleaned(text));
    trimTrailingSeparators(m_texts);
    if (m_texts.capacity() > m_texts.size() + 16)
        m_texts.squeeze();
}

void OutlineRow::setTexts(const QStringList &texts)
{
    QStringList cells;
    cells.reserve(texts.size());
    for (const QString &text : texts)
        cells << cleaned(text);
    setJoinedTexts(cells.join(separator()));
}

void OutlineRow::setJoinedTexts(QString joined)
{
    trimTrailingSeparators(joined);
    joined.squeeze();
    m_texts = std::move(joined);
}

void OutlineRow::truncate(int column)
{
    // Keep the cells before column: cut at the column-th separator, if the row has that many.
    qsizetype cut = column <= 0 ? 0 : -1;
    for (int i = 0; i < column; ++i) {
        cut = m_texts.indexOf(separator(), cut + 1);
        if (cut < 0)
            break;
    }
    if (cut >= 0) {
        m_texts.truncate(cut);
        m_texts.squeeze();
    }
    if (m_extras) {
        std::erase_if(*m_extras, [column](const auto &entry) { return entry.first >= column; });
        if (m_extras->empty())
            m_extras.reset();
    }
}

const OutlineRow::CellExtras *OutlineRow::extras(int column) const
{
    if (!m_extras)
        return nullptr;
    for (const auto &[col, extras] : *m_extras) {
        if (col == column)
            return &extras;
    }
    return nullptr;
}

OutlineRow::CellExtras &OutlineRow::extrasFor(int column)
{
    if (!m_extras)
        m_extras = std::make_unique<ExtrasList>();
    for (auto &[col, extras] : *m_extras) {
        if (col == column)
            return extras;
    }
    m_extras->emplace_back(column, CellExtras());
    return m_extras->back().second;
}

void OutlineRow::compact(int column)
{
    if (!m_extras)
        return;
    std::erase_if(*m_extras, [column](const auto &entry) { return entry.first == column && entry.second.isEmpty(); });
    if (m_extras->empty())
        m_extras.reset();
}

} // namespace Torva
