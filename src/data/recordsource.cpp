#include "recordsource.h"

#include <QRegularExpression>

namespace Torva {

RecordSource RecordSource::bind(const QString &source, const QString &typedText)
{
    static const QString mark = QStringLiteral("'&TEXT%'");
    static const QRegularExpression searched(QStringLiteral(R"(([A-Za-z0-9_#@$]+)\s+Like\s+'&TEXT%')"),
                                             QRegularExpression::CaseInsensitiveOption);

    RecordSource bound;
    // The first Like wildcard, or the backslash that PostgreSQL's Like takes
    // as its escape (a plain scan: text with a broken surrogate pair is no
    // valid input for a regular expression).
    qsizetype firstWildcard = -1;
    for (qsizetype i = 0; i < typedText.size() && firstWildcard < 0; ++i) {
        const QChar c = typedText.at(i);
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))
            firstWildcard = i;
    }
    const QString prefix = firstWildcard < 0 ? typedText : typedText.left(firstWildcard);
    if (firstWildcard >= 0)
        bound.m_exactPrefix = typedText;
    bound.m_searchColumn = searched.match(source).captured(1).toUpper();

    bound.m_statement = source;
    qsizetype at = bound.m_statement.indexOf(mark);
    while (at >= 0) {
        bound.m_statement.replace(at, mark.size(), QLatin1Char('?'));
        bound.m_parameters << QVariant(prefix + QLatin1Char('%'));
        at = bound.m_statement.indexOf(mark, at + 1);
    }
    return bound;
}

bool RecordSource::accepts(const QString &value) const
{
    return m_exactPrefix.isEmpty() || value.startsWith(m_exactPrefix);
}

} // namespace Torva
