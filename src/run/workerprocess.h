#pragma once

#include "shared/protocol/wireformat.h"

#include <QObject>
#include <QProcess>
#include <QTemporaryDir>

#include <string>

// One quillmere-worker process: the process, the scratch folder its decoders use (which goes
// with it), and the channel its requests go down. Nothing here waits on the process: it reports
// as signals from the event loop.
class WorkerProcess : public QObject
{
    Q_OBJECT

public:
    explicit WorkerProcess(const QString &program, QObject *parent = nullptr);
    // Kills and reaps a process still running: only at the application's end, for one retired.
    ~WorkerProcess() override;

    void Start();
    // Running, and not killed: a request sent now is read.
    bool IsReady() const;
    // Sends one request; its answer comes as Answered, or the process ends.
    void Send(const wire::Request &request);
    void Kill();
    // Lets the process go without waiting: it ends on end of input, or is killed when it has a
    // request in hand, and is reaped and cleaned up later, or as the application ends at last.
    // It signals nothing more.
    void Retire();

signals:
    void Started();
    void Answered(const wire::Response &response);
    // After the process has been reaped.
    void Ended(int exitCode, QProcess::ExitStatus exitStatus);
    void FailedToStart(const QString &reason);

private:
    void OnReadyRead();
    void OnEnded(int exitCode, QProcess::ExitStatus exitStatus);
    void CleanUp();
    void CloseInput();

    // Declared before the process, so it outlives it.
    QTemporaryDir m_scratch;
    QProcess m_process;
    std::string m_buffer;
    std::string m_target; // of the request sent and not answered yet
    qint64 m_pid = 0;
    int m_input = -1; // our end of the worker's stdin
    bool m_killed = false;
    bool m_retired = false;
};
