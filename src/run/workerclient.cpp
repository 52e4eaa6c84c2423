#include "run/workerclient.h"

#include "shared/protocol/tempname.h"

#include <QScopedValueRollback>

#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr int BaseTimeLimitMs = 60'000;
constexpr int TimeLimitMsPerMiB = 10'000;
constexpr int StartWaitMs = 10'000;
// What the system's loader exits with when the program or a library it needs cannot be run.
constexpr int ExitCannotExecute = 126;
constexpr int ExitNotFound = 127;

qint64 FileSize(const QByteArray &path)
{
    struct stat info = {};
    return ::stat(path.constData(), &info) == 0 ? qint64(info.st_size) : 0;
}

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
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &WorkerClient::OnReadyRead);
    connect(&m_process, &QProcess::finished, this, &WorkerClient::OnProcessEnded);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        m_scratch.reset();
        if (m_busy)
            Finish({wire::Status::ConverterMissing, m_process.errorString().toStdString()});
    });
    connect(&m_timer, &QTimer::timeout, this, &WorkerClient::OnTimeout);
}

WorkerClient::~WorkerClient()
{
    // Workers are only destroyed between entries; an idle worker ends on end of input.
    if (m_process.state() != QProcess::NotRunning) {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(2000))
            m_process.kill();
        m_process.waitForFinished(2000);
    }
}

void WorkerClient::Convert(const QByteArray &source, const QByteArray &target)
{
    Q_ASSERT(!m_busy);
    // A process we killed may not be reaped yet; its end must not be taken for this entry's.
    if (m_killed)
        m_process.waitForFinished(StartWaitMs);
    const QScopedValueRollback<bool> converting(m_converting, true);
    m_busy = true;
    m_timedOut = false;
    m_target = target;
    if (!EnsureStarted())
        return;
    const std::string bytes = wire::EncodeRequest({source.toStdString(), target.toStdString()});
    m_process.write(bytes.data(), qint64(bytes.size()));
    // Into the pipe now rather than on a later turn of the event loop: with small files the
    // worker would otherwise wait on us.
    m_process.waitForBytesWritten(0);
    m_timer.start(m_timeLimitMs > 0 ? m_timeLimitMs : TimeLimitMs(FileSize(source)));
}

void WorkerClient::Start()
{
    if (m_process.state() != QProcess::NotRunning)
        return;
    m_buffer.clear();
    m_scratch = std::make_unique<QTemporaryDir>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (m_scratch->isValid()) {
        environment.insert(QStringLiteral("MAGICK_TEMPORARY_PATH"), m_scratch->path());
        environment.insert(QStringLiteral("TMPDIR"), m_scratch->path());
    }
    m_process.setProcessEnvironment(environment);
    m_process.start(m_program, {}, QIODevice::ReadWrite | QIODevice::Unbuffered);
}

bool WorkerClient::EnsureStarted()
{
    Start();
    if (m_process.state() != QProcess::Running && !m_process.waitForStarted(StartWaitMs)) {
        // errorOccurred may already have finished the entry.
        if (m_busy)
            Finish({wire::Status::ConverterMissing, m_process.errorString().toStdString()});
        return false;
    }
    m_pid = m_process.processId();
    return true;
}

void WorkerClient::OnReadyRead()
{
    const QByteArray bytes = m_process.readAllStandardOutput();
    m_buffer.append(bytes.constData(), std::size_t(bytes.size()));
    bool malformed = false;
    std::optional<wire::Response> response = wire::TakeResponse(m_buffer, malformed);
    if (malformed || (response && !m_busy)) {
        // A worker that talks out of turn cannot be trusted with the next entry.
        if (!m_killed)
            Kill();
        return;
    }
    // Even after a kill for time: its answer means the JPEG file is whole and in place, and the
    // next entry waits for the process to be reaped.
    if (response)
        Finish(*response);
}

void WorkerClient::OnProcessEnded(int exitCode, QProcess::ExitStatus exitStatus)
{
    // Whatever its decoders left there goes with the process, however it ended.
    m_scratch.reset();
    m_killed = false;
    if (!m_busy)
        return;
    // It may have died halfway through a save: take its temporary file away with it.
    if (!m_target.isEmpty() && m_pid > 0)
        ::unlink(TemporaryTargetFor(m_target.toStdString(), m_pid).c_str());
    Finish(WhyItEnded(exitCode, exitStatus));
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
    Kill();
}

void WorkerClient::Kill()
{
    m_killed = true;
    m_process.kill();
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
