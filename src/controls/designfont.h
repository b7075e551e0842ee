#pragma once

#include <QFont>

namespace Torva {

// The font the controls' fields were designed in (MS Sans Serif, 8.25
// points), or its nearest metric match on this machine.
inline QFont designFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(8.25);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace Torva
