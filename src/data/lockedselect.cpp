#include "lockedselect.h"

#include <QRegularExpression>

#include <iterator>

namespace Torva {

namespace {

// Whether the text holds "update" in any letter case. Cheaper than a
// case-insensitive search, which folds every character it passes; setting
// bit 0x20 folds only the ASCII letters, the only ones that can match.
bool mentionsUpdate(QStringView text)
{
    static constexpr char16_t word[] = u"update";
    constexpr qsizetype length = std::size(word) - 1;
    for (qsizetype i = 0; i + length <= text.size(); ++i) {
        qsizetype matched = 0;
        while (matched < length && (text[i + matched].unicode() | 0x20) == word[matched])
            ++matched;
        if (matched == length)
            return true;
    }
    return false;
}

} // namespace

LockedSelect LockedSelect::parse(const QString &statement)
{
    static const QRegularExpression clause(
        QStringLiteral(R"(\s+for\s+update(\s+of\s+[A-Za-z0-9_#@$.]+(\s*,\s*[A-Za-z0-9_#@$.]+)*)?\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression fromTable(QStringLiteral(R"(\bfrom\s+([A-Za-z0-9_#@$]+(\.[A-Za-z0-9_#@$]+)?))"),
                                              QRegularExpression::CaseInsensitiveOption);

    LockedSelect result;
    result.m_statement = statement;
    // Most statements run have no clause at all: spare them the expressions.
    if (!mentionsUpdate(statement))
        return result;
    const QRegularExpressionMatch match = clause.match(statement);
    if (!match.hasMatch())
        return result;
    const QString select = statement.left(match.capturedStart());
    const QRegularExpressionMatch table = fromTable.match(select);
    if (!table.hasMatch())
        return result;
    result.m_locked = true;
    result.m_statement = select;
    result.m_table = table.captured(1).toUpper();
    return result;
}

} // namespace Torva
