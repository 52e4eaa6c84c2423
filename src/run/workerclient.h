#pragma once

#include "shared/protocol/wireformat.h"

#include <QObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

// One quillmere-worker process, converting one entry at a time. Whatever the worker does with a
// file (crash, exit, run out of memory, hang) ends as a Finished signal for that entry; the next
// entry gets a fresh process. Each process has a temporary folder of its own, which goes with it.
class WorkerClient : public QObject
{
    Q_OBJECT

public:
    explicit WorkerClient(const QString &program, QObject *parent = nullptr);
    ~WorkerClient() override;

    // Starts the process without waiting for it, so it is ready by the first entry.
    void Start();
    // Finished follows exactly once, never from inside this call. Paths are the file
    // system's bytes.
    void Convert(const QByteArray &source, const QByteArray &target);
    // Overrides, when above 0, how long an entry may take (by default generous, and growing
    // with the file's size).
    void SetTimeLimitMs(int limit) { m_timeLimitMs = limit; }

signals:
    void Finished(const wire::Response &response);

private:
    bool EnsureStarted();
    void OnReadyRead();
    void OnProcessEnded(int exitCode, QProcess::ExitStatus exitStatus);
    wire::Response WhyItEnded(int exitCode, QProcess::ExitStatus exitStatus) const;
    void OnTimeout();
    void Kill();
    void Finish(wire::Response response);

    QString m_program;
    QProcess m_process;
    // Where the worker's decoders keep their scratch files (ImageMagick's pixel cache).
    std::unique_ptr<QTemporaryDir> m_scratch;
    QTimer m_timer;
    std::string m_buffer;
    QByteArray m_target;
    qint64 m_pid = 0;
    int m_timeLimitMs = 0;
    bool m_busy = false;
    bool m_timedOut = false;
    bool m_killed = false; // by us, and not yet reaped
    bool m_converting = false;
};
