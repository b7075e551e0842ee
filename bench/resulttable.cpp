#include "resulttable.h"

namespace {
constexpr int NameWidth = 61;
constexpr int StatementWidth = 52;
} // namespace

ResultTable::ResultTable(const QList<BenchmarkResult> &results)
{
    for (const BenchmarkResult &result : results)
        (result.isComparison ? m_comparisons : m_timings) << result;
}

QString ResultTable::milliseconds(double value)
{
    if (value >= 100)
        return QString::number(value, 'f', 0) + QStringLiteral(" ms");
    if (value >= 10)
        return QString::number(value, 'f', 1) + QStringLiteral(" ms");
    return QString::number(value, 'f', 3) + QStringLiteral(" ms");
}

QString ResultTable::budgetOf(const BenchmarkResult &result)
{
    if (result.isComparison)
        return result.budgetRatio > 0 ? QStringLiteral("≤ %1×").arg(result.budgetRatio) : QStringLiteral("—");
    return result.budgetMs > 0 ? QStringLiteral("≤ %1 ms").arg(result.budgetMs) : QStringLiteral("—");
}

QString ResultTable::verdict(const BenchmarkResult &result)
{
    QString text;
    if (result.isComparison ? result.budgetRatio > 0 : result.budgetMs > 0)
        text = result.withinBudget() ? QStringLiteral("met") : QStringLiteral("MISSED");
    if (result.unexpected > 0)
        text += QStringLiteral(" (%1 unexpected runs)").arg(result.unexpected);
    return text;
}

void ResultTable::printText(QTextStream &out) const
{
    if (!m_timings.isEmpty()) {
        out << "\n" << QStringLiteral("Benchmark").leftJustified(NameWidth) << QStringLiteral("median").rightJustified(11)
            << QStringLiteral("p99").rightJustified(11) << "  " << QStringLiteral("budget").leftJustified(10) << "\n";
        for (const BenchmarkResult &result : m_timings) {
            out << (result.group + QStringLiteral(": ") + result.name).leftJustified(NameWidth)
                << milliseconds(result.stats.median).rightJustified(11) << milliseconds(result.stats.p99).rightJustified(11)
                << "  " << budgetOf(result).leftJustified(10) << verdict(result) << "\n";
        }
    }
    if (!m_comparisons.isEmpty()) {
        out << "\n" << QStringLiteral("Statement (TableObject against sqlite3)").leftJustified(StatementWidth)
            << QStringLiteral("TableObject").rightJustified(22) << QStringLiteral("sqlite3").rightJustified(22)
            << QStringLiteral("ratio").rightJustified(7) << "  budget\n"
            << QString().leftJustified(StatementWidth) << QStringLiteral("median / p99").rightJustified(22)
            << QStringLiteral("median / p99").rightJustified(22) << "\n";
        for (const BenchmarkResult &result : m_comparisons) {
            out << result.name.leftJustified(StatementWidth)
                << (milliseconds(result.stats.median) + QStringLiteral(" / ") + milliseconds(result.stats.p99)).rightJustified(22)
                << (milliseconds(result.sqliteStats.median) + QStringLiteral(" / ") + milliseconds(result.sqliteStats.p99))
                       .rightJustified(22)
                << QString::number(result.ratio(), 'f', 2).rightJustified(7) << "  " << budgetOf(result).leftJustified(7)
                << verdict(result) << "\n";
        }
    }
    for (const BenchmarkResult &result : m_timings + m_comparisons) {
        if (!result.note.isEmpty())
            out << "  note, " << result.name << ": " << result.note << "\n";
    }
}

QString ResultTable::markdown() const
{
    QString text;
    QTextStream out(&text);
    if (!m_timings.isEmpty()) {
        out << "| Benchmark | Median | p99 | Budget (median) | |\n|---|---:|---:|---|---|\n";
        for (const BenchmarkResult &result : m_timings)
            out << "| " << result.group << ": " << result.name << " | " << milliseconds(result.stats.median) << " | "
                << milliseconds(result.stats.p99) << " | " << budgetOf(result) << " | " << verdict(result) << " |\n";
    }
    if (!m_comparisons.isEmpty()) {
        out << "\n| Statement | TableObject median / p99 | sqlite3 median / p99 | Ratio | Budget | |\n"
               "|---|---:|---:|---:|---|---|\n";
        for (const BenchmarkResult &result : m_comparisons)
            out << "| " << result.name << " | " << milliseconds(result.stats.median) << " / "
                << milliseconds(result.stats.p99) << " | " << milliseconds(result.sqliteStats.median) << " / "
                << milliseconds(result.sqliteStats.p99) << " | " << QString::number(result.ratio(), 'f', 2) << " | "
                << budgetOf(result) << " | " << verdict(result) << " |\n";
    }
    return text;
}

QStringList ResultTable::missedBudgets() const
{
    QStringList missed;
    for (const BenchmarkResult &result : m_timings + m_comparisons) {
        if (result.withinBudget())
            continue;
        missed << (result.isComparison
                       ? QStringLiteral("%1: ratio %2 (budget %3)").arg(result.name).arg(result.ratio(), 0, 'f', 2).arg(budgetOf(result))
                       : QStringLiteral("%1: %2 median (budget %3)")
                             .arg(result.group + QStringLiteral(": ") + result.name, milliseconds(result.stats.median),
                                  budgetOf(result)));
    }
    return missed;
}
