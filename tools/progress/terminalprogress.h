#pragma once

#include <QElapsedTimer>
#include <QString>

namespace zelan::tools {

// A progress line on standard error for the command-line tools: a bar with the count done,
// the share and the time left, redrawn in place on a terminal at most ten times a second,
// and an occasional plain line (every tenth of the work or ten seconds) in a log.
class TerminalProgress {
public:
    TerminalProgress(const QString& label, qsizetype total);

    void advance(qsizetype done);
    // Ends a line left open on the terminal before another message is printed.
    void interrupt();

private:
    QString m_label;
    qsizetype m_total;
    bool m_terminal;
    QElapsedTimer m_clock;
    qint64 m_shownAt = -1000000;
    qsizetype m_shownDone = 0;
};

// "m:ss".
QString formatDuration(qint64 ms);

} // namespace zelan::tools
