#pragma once

#include "run/targetpath.h"

#include <QByteArrayList>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <cstdio>

class CommandLine;
struct EntryResult;
struct RunReport;

// One batch of quillmere-convert: gathers what the command line names, converts it through
// the run the window uses, and tells standard error about it: a line per failed file, a
// progress line redrawn in place when standard error is a terminal, and a summary at the end.
// Ctrl-C (SIGINT) and SIGTERM stop it after the files in hand; a second Ctrl-C ends it at once.
class BatchConversion : public QObject
{
    Q_OBJECT

public:
    explicit BatchConversion(const CommandLine &line, std::FILE *out = stderr);

    // Before any thread or worker starts: a Ctrl-C at the terminal reaches the workers too, and
    // they inherit the blocked interrupt, so it cannot end the files in hand half done.
    static void HoldInterrupts();

    // The exit status: 0 when every file converted, 1 when any did not.
    int Run();

private:
    void Take(const QByteArray &folder, const QByteArrayList &files);
    TargetRule Targets() const;
    RunReport Convert();
    void OnEntryFinished(const EntryResult &result);
    void DrawProgress();
    void ClearProgress();
    void Write(const QByteArray &bytes);
    QString Summary(const RunReport &report) const;

    const CommandLine &m_line;
    std::FILE *m_out;
    const bool m_onTerminal;
    const QByteArray m_output; // absolute, ending in "/"; empty for beside the sources
    QByteArrayList m_sources;
    QHash<QByteArray, QByteArray> m_targets; // each source's below m_output
    int m_finished = 0;
    bool m_progressShown = false;
    QElapsedTimer m_clock;
    QTimer m_ticker;
};
