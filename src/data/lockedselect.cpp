#include "lockedselect.h"

#include <QRegularExpression>

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
    if (!statement.contains(QLatin1String("update"), Qt::CaseInsensitive))
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
