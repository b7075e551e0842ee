// The grid's rows: OutlineModel::InsertRow with any tab-separated text,
// each cell read back. Input: the column count, the level, the place, the text.

#include "fuzzinput.h"
#include "gridapplication.h"

#include "controls/outlinemodel.h"

using namespace Torva;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    Fuzz::makeGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const int cols = data[0] % 12;
    const int level = int(int8_t(data[1]));
    const int place = int(int8_t(data[2])) % 6;
    const QString text = Fuzz::text(QByteArray(reinterpret_cast<const char *>(data + 3), qsizetype(size - 3)));

    OutlineModel model;
    model.setCols(cols);
    model.setRows(3);
    for (int col = 0; col < cols; ++col)
        model.setCellText(1, col, QStringLiteral("above %1").arg(col));

    const int row = model.InsertRow(text, level, level % 2 != 0, place);
    Fuzz::check(model.Rows() == 4, "InsertRow adds one row", text);
    Fuzz::check(row >= 0 && row < model.Rows(), "InsertRow gives the new row's index", text);
    Fuzz::check(place < 0 || place > 3 ? row == 3 : row == place, "InsertRow puts the row where asked", text);

    const QStringList cells = text.split(QLatin1Char('\t'));
    for (int col = 0; col < cols; ++col) {
        QString expected = cells.value(col);
        expected.replace(OutlineRow::separator(), QLatin1Char(' '));
        Fuzz::check(model.CellText(row, col) == expected, "each cell reads back its text",
                    text + QStringLiteral(" @%1: ").arg(col) + model.CellText(row, col));
    }
    Fuzz::check(model.CellText(row, cols).isEmpty(), "a cell outside the grid is empty", text);
    Fuzz::check(model.RowLevel(row) == qBound(0, level, 0x7fff), "the row keeps its level", text);

    // The row that was filled before keeps its cells.
    const int filled = row <= 1 ? 2 : 1;
    for (int col = 0; col < cols; ++col)
        Fuzz::check(model.CellText(filled, col) == QStringLiteral("above %1").arg(col), "the other rows are kept",
                    text);

    model.RemoveRow(row);
    Fuzz::check(model.Rows() == 3, "RemoveRow takes the row out", text);
    return 0;
}
