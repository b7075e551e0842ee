#include "recordsource.h"

RecordSource RecordSource::bind(const QString &source, const QString &typedText)
{
    static const QString mark = QStringLiteral("'&TEXT%'");
    RecordSource bound;
    bound.m_statement = source;
    qsizetype at = bound.m_statement.indexOf(mark);
    while (at >= 0) {
        bound.m_statement.replace(at, mark.size(), QLatin1Char('?'));
        bound.m_parameters << QVariant(typedText + QLatin1Char('%'));
        at = bound.m_statement.indexOf(mark, at + 1);
    }
    return bound;
}
