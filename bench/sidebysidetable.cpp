#include "sidebysidetable.h"

#include "resulttable.h"

#include <QTextStream>

#include <algorithm>
#include <utility>

namespace Torva {

namespace {
QString fullName(const BenchmarkResult &result)
{
    return result.group + QStringLiteral(": ") + result.name;
}

bool hasBudget(const BenchmarkResult &result)
{
    return result.budget > 0;
}
} // namespace

SideBySideTable::SideBySideTable(const ResultFile &left, const ResultFile &right)
    : m_left(left)
    , m_right(right)
{
    // In the left run's order; what ran on the right only comes last.
    for (const BenchmarkResult &result : left.results) {
        if (result.isComparison)
            m_comparisons << result;
        else
            m_rows << Row{&result, nullptr};
    }
    for (const BenchmarkResult &result : right.results) {
        if (result.isComparison) {
            m_comparisons << result;
            continue;
        }
        const auto same = std::find_if(m_rows.begin(), m_rows.end(), [&](const Row &row) {
            return row.left && !row.right && fullName(*row.left) == fullName(result);
        });
        if (same != m_rows.end())
            same->right = &result;
        else
            m_rows << Row{nullptr, &result};
    }
}

QString SideBySideTable::figures(const BenchmarkResult *result)
{
    if (!result)
        return QStringLiteral("—");
    if (result->stats.count == 0)
        return QStringLiteral("no figure");
    return ResultTable::median(*result) + QStringLiteral(" / ") + ResultTable::p99(*result);
}

QString SideBySideTable::verdict(const Row &row) const
{
    const BenchmarkResult &any = row.left ? *row.left : *row.right;
    QStringList missedOn;
    QStringList unexpected;
    for (const auto &[result, engine] : {std::pair{row.left, m_left.engine}, std::pair{row.right, m_right.engine}}) {
        if (!result)
            continue;
        if (result->stats.count == 0 || !result->withinBudget())
            missedOn << engine;
        if (result->unexpected > 0)
            unexpected << QStringLiteral("%1 unexpected runs on %2").arg(result->unexpected).arg(engine);
    }
    QString text;
    if (missedOn.size() == 2)
        text = QStringLiteral("MISSED on both");
    else if (!missedOn.isEmpty())
        text = QStringLiteral("MISSED on ") + missedOn.first();
    else if (hasBudget(any))
        text = QStringLiteral("met");
    if (!unexpected.isEmpty())
        text += QStringLiteral(" (") + unexpected.join(QStringLiteral(", ")) + QLatin1Char(')');
    return text.trimmed();
}

QString SideBySideTable::markdown() const
{
    QString text;
    QTextStream out(&text);
    out << "Machine: " << m_left.machine << "  \n"
        << m_left.engine << ": " << m_left.database << "  \n"
        << m_right.engine << ": " << m_right.database << "\n\n"
        << "| Benchmark | Budget (median) | " << m_left.engine << " median / p99 | " << m_right.engine
        << " median / p99 | |\n|---|---|---:|---:|---|\n";
    for (const Row &row : m_rows) {
        const BenchmarkResult &any = row.left ? *row.left : *row.right;
        out << "| " << fullName(any) << " | " << ResultTable::budgetOf(any) << " | " << figures(row.left) << " | "
            << figures(row.right) << " | " << verdict(row) << " |\n";
    }
    if (!m_comparisons.isEmpty())
        out << "\n" << ResultTable(m_comparisons).markdown();
    return text;
}

} // namespace Torva
