#include "terminalprogress.h"

#include <cstdio>
#include <unistd.h>

namespace zelan::tools {

QString formatDuration(qint64 ms) {
    const qint64 seconds = (ms + 500) / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

TerminalProgress::TerminalProgress(const QString& label, qsizetype total)
    : m_label(label), m_total(qMax<qsizetype>(total, 1)), m_terminal(isatty(STDERR_FILENO) == 1) {
    m_clock.start();
}

void TerminalProgress::advance(qsizetype done) {
    const qint64 now = m_clock.elapsed();
    const bool last = done >= m_total;
    if (m_terminal) {
        if (!last && now - m_shownAt < 100)
            return;
    } else if (!last && now - m_shownAt < 10000 && done * 10 / m_total == m_shownDone * 10 / m_total) {
        return;
    }
    m_shownAt = now;
    m_shownDone = done;
    const int percent = int(done * 100 / m_total);
    constexpr int width = 30;
    const int filled = int(done * width / m_total);
    const QString bar = QString(filled, QLatin1Char('#')) + QString(width - filled, QLatin1Char('.'));
    QString left = QStringLiteral("--:--");
    if (last)
        left = QStringLiteral("0:00");
    else if (done > 0 && now >= 2000) // the first steps carry the start-up
        left = formatDuration(now * (m_total - done) / done);
    const QString line = QStringLiteral("%1 [%2] %3/%4 %5%  %6 left")
                             .arg(m_label, bar)
                             .arg(done)
                             .arg(m_total)
                             .arg(percent, 3)
                             .arg(left);
    if (m_terminal)
        std::fprintf(stderr, "\r%s%s", qPrintable(line), last ? "\n" : "");
    else
        std::fprintf(stderr, "%s\n", qPrintable(line));
    std::fflush(stderr);
}

void TerminalProgress::interrupt() {
    if (m_terminal && m_shownAt >= 0 && m_shownDone < m_total)
        std::fprintf(stderr, "\n");
}

} // namespace zelan::tools
