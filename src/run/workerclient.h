#pragma once

#include "shared/protocol/wireformat.h"

#include <QObject>
#include <QProcess>
#include <QTimer>

class WorkerProcess;

// Converts one entry at a time in a quillmere-worker process. Whatever the worker does with a
// file (crash, exit, run out of memory, hang) ends as a Finished signal for that entry; the next
// entry gets a fresh process. Nothing here waits: an entry handed over while the process is
// still starting, or while a killed one is not yet reaped, is sent once a process can take it.
class WorkerClient : public QObject
{
    Q_OBJECT

public:
    explicit WorkerClient(const QString &program, QObject *parent = nullptr);
    // Returns at once: an idle process ends on end of input, a busy one is killed, and both
    // are reaped later.
    ~WorkerClient() override;

    // Starts the process, so it is ready by the first entry.
    void Start();
    // Finished follows exactly once, never from inside this call. Paths are the file system's
    // bytes; the source's size sets how long the entry may take.
    void Convert(const QByteArray &source, const QByteArray &target, qint64 sourceBytes,
                 const wire::Options &options = {});
    // Overrides, when above 0, how long an entry may take (by default generous, and growing
    // with the file's size).
    void SetTimeLimitMs(int limit) { m_timeLimitMs = limit; }

signals:
    void Finished(const wire::Response &response);

private:
    void SendHeld();
    void OnEnded(int exitCode, QProcess::ExitStatus exitStatus);
    void OnFailedToStart(const QString &reason);
    void LetGoOfProcess();
    wire::Response WhyItEnded(int exitCode, QProcess::ExitStatus exitStatus) const;
    void OnTimeout();
    void Finish(wire::Response response);

    QString m_program;
    WorkerProcess *m_process = nullptr; // none until started, and after its end
    QTimer m_timer;
    wire::Request m_request; // the entry in hand
    int m_entryLimitMs = 0;
    int m_timeLimitMs = 0;
    bool m_busy = false;
    bool m_sent = false;
    bool m_timedOut = false;
    bool m_converting = false;
};
