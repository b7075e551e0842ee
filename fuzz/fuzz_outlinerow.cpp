// The grid's row text: OutlineRow::setTexts, setJoinedTexts, setText,
// truncate and text on any tab-separated text.

#include "fuzzinput.h"
#include "gridapplication.h"

#include "controls/outlinerow.h"

using namespace Torva;

namespace {

QString cleaned(QString text)
{
    return text.replace(OutlineRow::separator(), QLatin1Char(' '));
}

// The row holds exactly cells, and nothing after them.
void checkCells(const OutlineRow &row, const QStringList &cells, const char *what, const QString &detail)
{
    for (int column = 0; column < cells.size(); ++column)
        Fuzz::check(row.text(column) == cleaned(cells.at(column)), what,
                    detail + QStringLiteral(" @%1: ").arg(column) + row.text(column));
    for (int column = int(cells.size()); column < int(cells.size()) + 3; ++column)
        Fuzz::check(row.text(column).isEmpty(), "the cells past the last one are empty", detail);
    Fuzz::check(row.text(-1).isEmpty(), "a negative column is empty", detail);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    Fuzz::makeGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = Fuzz::text(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    QStringList cells = text.split(QLatin1Char('\t'));
    if (cells.size() > 200)
        cells = cells.mid(0, 200);

    OutlineRow row(1, true);
    row.setTexts(cells);
    checkCells(row, cells, "setTexts keeps every cell", text);

    QStringList joinable;
    for (const QString &cell : cells)
        joinable << cleaned(cell);
    OutlineRow joined;
    joined.setJoinedTexts(joinable.join(OutlineRow::separator()));
    checkCells(joined, cells, "setJoinedTexts keeps every cell", text);

    // One cell changed, in the row or past its end; the others stay.
    const int column = size > 0 ? int(data[0] % (cells.size() + 3)) : 0;
    const QString replacement = cells.value(cells.size() - 1);
    row.setText(column, replacement);
    QStringList expected = cells;
    while (expected.size() <= column)
        expected << QString();
    expected[column] = replacement;
    checkCells(row, expected, "setText changes its cell alone", text);

    // Cutting the row keeps the cells before the cut.
    const int cut = int(expected.size() / 2);
    row.truncate(cut);
    checkCells(row, expected.mid(0, cut), "truncate keeps the cells before the cut", text);
    return 0;
}
