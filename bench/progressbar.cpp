#include "progressbar.h"

#include <algorithm>
#include <unistd.h>

namespace Torva {

namespace {
constexpr int BarWidth = 30;
constexpr qint64 RedrawMs = 100;
constexpr qint64 UnitsBetweenChecks = 2'000;
} // namespace

ProgressBar::ProgressBar(qint64 totalUnits, std::FILE *out)
    : m_out(out)
    , m_terminal(::isatty(::fileno(out)) == 1)
    , m_total(std::max<qint64>(1, totalUnits))
{
    m_clock.start();
}

void ProgressBar::setStep(const QString &step)
{
    m_step = step;
    m_nextCheck = 0;
    m_lastDrawMs = -1;
    draw();
}

void ProgressBar::advance(qint64 units)
{
    m_done = std::min(m_total, m_done + units);
    if (m_done < m_nextCheck)
        return;
    m_nextCheck = m_done + UnitsBetweenChecks;
    draw();
}

void ProgressBar::draw()
{
    const int percent = int(m_done * 100 / m_total);
    if (m_terminal) {
        const qint64 now = m_clock.elapsed();
        if (m_lastDrawMs >= 0 && now - m_lastDrawMs < RedrawMs && m_done < m_total)
            return;
        m_lastDrawMs = now;
        const int filled = int(m_done * BarWidth / m_total);
        const QByteArray bar = QByteArray(filled, '#') + QByteArray(BarWidth - filled, '-');
        std::fprintf(m_out, "\r[%s] %3d%%  %6.1f s  %-40s", bar.constData(), percent, now / 1000.0,
                     m_step.left(40).toUtf8().constData());
        std::fflush(m_out);
        return;
    }
    const int tenth = percent / 10;
    if (tenth == m_lastTenth)
        return;
    m_lastTenth = tenth;
    std::fprintf(m_out, "%3d%%  %6.1f s  %s\n", percent, elapsedSeconds(), m_step.toUtf8().constData());
    std::fflush(m_out);
}

void ProgressBar::finish()
{
    m_done = m_total;
    m_lastDrawMs = -1;
    draw();
    if (m_terminal)
        std::fputc('\n', m_out);
    std::fflush(m_out);
}

} // namespace Torva
