#include "run/workerclient.h"

#include "run/workerprocess.h"

#include <QScopedValueRollback>

#include <csignal>
#include <cstring>

namespace
{

constexpr int BaseTimeLimitMs = 60'000;
constexpr int TimeLimitMsPerMiB = 10'000;
// What the system's loader exits with when the program or a library it needs cannot be run.
constexpr int ExitCannotExecute = 126;
constexpr int ExitNotFound = 127;

int TimeLimitMs(qint64 sourceBytes)
{
    const qint64 limit = BaseTimeLimitMs + sourceBytes / (1 << 20) * TimeLimitMsPerMiB;
    return int(std::min<qint64>(limit, qint64(wire::MaxSecondsPerEntry) * 1000));
}

bool IsStopSignal(int signal)
{
    return signal == SIGKILL || signal == SIGTERM || signal == SIGINT || signal == SIGHUP;
}

} // namespace

WorkerClient::WorkerClient(const QString &program, QObject *parent)
    : QObject(parent), m_program(program)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &WorkerClient::OnTimeout);
}

WorkerClient::~WorkerClient()
{
    if (m_process)
        m_process->Retire();
}

void WorkerClient::Start()
{
    if (m_process)
        return;
    m_process = new WorkerProcess(m_program, this);
    connect(m_process, &WorkerProcess::Started, this, &WorkerClient::SendHeld);
    connect(m_process, &WorkerProcess::Answered, this, &WorkerClient::Finish);
    connect(m_process, &WorkerProcess::Ended, this, &WorkerClient::OnEnded);
    connect(m_process, &WorkerProcess::FailedToStart, this, &WorkerClient::OnFailedToStart);
    m_process->Start();
}

void WorkerClient::Convert(const QByteArray &source, const QByteArray &target, qint64 sourceBytes,
                           const wire::Options &options)
{
    Q_ASSERT(!m_busy);
    const QScopedValueRollback<bool> converting(m_converting, true);
    m_busy = true;
    m_sent = false;
    m_timedOut = false;
    m_request = {source.toStdString(), target.toStdString(), options};
    m_entryLimitMs = m_timeLimitMs > 0 ? m_timeLimitMs : TimeLimitMs(sourceBytes);
    Start();
    SendHeld();
}

void WorkerClient::SendHeld()
{
    if (!m_busy || m_sent || !m_process || !m_process->IsReady())
        return;
    m_sent = true;
    m_process->Send(m_request);
    m_timer.start(m_entryLimitMs);
}

void WorkerClient::OnEnded(int exitCode, QProcess::ExitStatus exitStatus)
{
    LetGoOfProcess();
    if (!m_busy)
        return;
    // Held while a killed process was still being reaped: a fresh one takes it.
    if (!m_sent)
        Start();
    else
        Finish(WhyItEnded(exitCode, exitStatus));
}

void WorkerClient::OnFailedToStart(const QString &reason)
{
    LetGoOfProcess();
    Finish({wire::Status::ConverterMissing, reason.toStdString()});
}

void WorkerClient::LetGoOfProcess()
{
    m_process->deleteLater();
    m_process = nullptr;
}

wire::Response WorkerClient::WhyItEnded(int exitCode, QProcess::ExitStatus exitStatus) const
{
    if (m_timedOut)
        return {wire::Status::TimedOut, {}};
    // A process ended by a signal reports the signal as its exit code.
    if (exitStatus == QProcess::CrashExit) {
        const auto status =
            IsStopSignal(exitCode) ? wire::Status::ConverterStopped : wire::Status::DecoderStopped;
        return {status, strsignal(exitCode)};
    }
    if (exitCode == ExitCannotExecute || exitCode == ExitNotFound)
        return {wire::Status::ConverterMissing, "exit code " + std::to_string(exitCode)};
    return {wire::Status::DecoderStopped, "exit code " + std::to_string(exitCode)};
}

void WorkerClient::OnTimeout()
{
    m_timedOut = true;
    m_process->Kill();
}

void WorkerClient::Finish(wire::Response response)
{
    if (!m_busy)
        return;
    m_busy = false;
    m_timer.stop();
    // From inside Convert (a worker that cannot start) it is queued, so whoever hands out
    // entries never sees a result re-enter the call that handed it out.
    if (m_converting)
        QMetaObject::invokeMethod(
            this, [this, response] { emit Finished(response); }, Qt::QueuedConnection);
    else
        emit Finished(response);
}
