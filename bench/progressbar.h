#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

namespace Torva {

// A progress bar on one line of a terminal, drawn again in place as the
// work advances (at most ten times a second), with the step under way, the
// share done and the time so far. Written to a file or pipe instead, it
// prints a plain line at every tenth of the work.
class ProgressBar
{
public:
    explicit ProgressBar(qint64 totalUnits, std::FILE *out = stderr);

    void setStep(const QString &step);
    void advance(qint64 units = 1);
    // Draws the full bar and ends its line.
    void finish();

    double elapsedSeconds() const { return m_clock.elapsed() / 1000.0; }

private:
    void draw();

    std::FILE *m_out;
    bool m_terminal;
    qint64 m_total;
    qint64 m_done = 0;
    qint64 m_nextCheck = 0;  // advance() looks at the clock only every so many units
    qint64 m_lastDrawMs = -1;
    int m_lastTenth = -1;
    QString m_step;
    QElapsedTimer m_clock;
};

} // namespace Torva
