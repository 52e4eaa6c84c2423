#pragma once

#include "wireformat.h"

#include <QObject>
#include <QProcess>
#include <QTimer>

// One quillmere-worker process, converting one entry at a time. Whatever the worker does with a
// file (crash, exit, run out of memory, hang) ends as a Finished signal for that entry; the next
// entry gets a fresh process.
class WorkerClient : public QObject
{
    Q_OBJECT

public:
    explicit WorkerClient(const QString &program, QObject *parent = nullptr);
    ~WorkerClient() override;

    // Starts the process without waiting for it, so it is ready by the first entry.
    void Start();
    // Finished follows exactly once, never from inside this call.
    void Convert(const QString &source, const QString &target);
    bool IsBusy() const { return m_busy; }

    // How long an entry may take: generous, and growing with the file's size.
    static int TimeLimitMs(qint64 sourceBytes);

signals:
    void Finished(const wire::Response &response);

private:
    bool EnsureStarted();
    void OnReadyRead();
    void OnProcessEnded();
    void OnTimeout();
    void Finish(wire::Response response);

    QString m_program;
    QProcess m_process;
    QTimer m_timer;
    std::string m_buffer;
    QString m_target;
    qint64 m_pid = 0;
    bool m_busy = false;
    bool m_timedOut = false;
    bool m_converting = false;
};
