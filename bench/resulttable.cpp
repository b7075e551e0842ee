#include "resulttable.h"

namespace Torva {

namespace {
constexpr int NameWidth = 61;
constexpr int StatementWidth = 52;
constexpr int BudgetWidth = 13;
} // namespace

ResultTable::ResultTable(const QList<BenchmarkResult> &results)
{
    for (const BenchmarkResult &result : results)
        (result.isComparison ? m_comparisons : m_timings) << result;
}

QString ResultTable::figure(double value, const QString &unit)
{
    const int decimals = value >= 100 ? 0 : value >= 10 ? 1 : 3;
    return QString::number(value, 'f', decimals) + QLatin1Char(' ') + unit;
}

QString ResultTable::milliseconds(double value)
{
    return figure(value, QStringLiteral("ms"));
}

QString ResultTable::median(const BenchmarkResult &result)
{
    return figure(result.stats.median, result.unit);
}

QString ResultTable::p99(const BenchmarkResult &result)
{
    return figure(result.stats.p99, result.unit);
}

QString ResultTable::budgetOf(const BenchmarkResult &result)
{
    if (result.isComparison)
        return result.budgetRatio > 0 ? QStringLiteral("≤ %1×").arg(result.budgetRatio) : QStringLiteral("—");
    return result.budget > 0 ? QStringLiteral("≤ %1 %2").arg(result.budget).arg(result.unit) : QStringLiteral("—");
}

QString ResultTable::verdict(const BenchmarkResult &result)
{
    QString text;
    if (result.stats.count == 0)
        text = QStringLiteral("NO FIGURE");
    else if (result.isComparison ? result.budgetRatio > 0 : result.budget > 0)
        text = result.withinBudget() ? QStringLiteral("met") : QStringLiteral("MISSED");
    if (result.unexpected > 0)
        text += QStringLiteral(" (%1 unexpected runs)").arg(result.unexpected);
    return text;
}

void ResultTable::printText(QTextStream &out) const
{
    if (!m_timings.isEmpty()) {
        out << "\n" << QStringLiteral("Benchmark").leftJustified(NameWidth) << QStringLiteral("median").rightJustified(11)
            << QStringLiteral("p99").rightJustified(11) << "  " << QStringLiteral("budget").leftJustified(BudgetWidth) << "\n";
        for (const BenchmarkResult &result : m_timings) {
            out << (result.group + QStringLiteral(": ") + result.name).leftJustified(NameWidth)
                << median(result).rightJustified(11) << p99(result).rightJustified(11)
                << "  " << budgetOf(result).leftJustified(BudgetWidth) << verdict(result) << "\n";
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
            out << "| " << result.group << ": " << result.name << " | " << median(result) << " | " << p99(result)
                << " | " << budgetOf(result) << " | " << verdict(result) << " |\n";
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
                             .arg(result.group + QStringLiteral(": ") + result.name, median(result), budgetOf(result)));
    }
    return missed;
}

QStringList ResultTable::unexpectedRuns() const
{
    QStringList lines;
    for (const BenchmarkResult &result : m_timings + m_comparisons) {
        const QString name = result.group + QStringLiteral(": ") + result.name;
        if (result.stats.count == 0)
            lines << QStringLiteral("%1: no figure at all (%2 runs did not give one)").arg(name).arg(result.unexpected);
        else if (result.unexpected > 0)
            lines << QStringLiteral("%1: %2 runs").arg(name).arg(result.unexpected);
    }
    return lines;
}

} // namespace Torva
