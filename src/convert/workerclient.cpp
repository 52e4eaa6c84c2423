#include "workerclient.h"

#include "tempname.h"

#include <QFile>
#include <QFileInfo>
#include <QScopedValueRollback>

#include <unistd.h>

namespace
{

constexpr int BaseTimeLimitMs = 60'000;
constexpr int TimeLimitMsPerMiB = 10'000;

wire::Response Stopped(const char *why)
{
    return wire::Response{wire::Status::DecoderStopped, why};
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
        if (error == QProcess::FailedToStart && m_busy)
            Finish(Stopped("the converter could not be started"));
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

int WorkerClient::TimeLimitMs(qint64 sourceBytes)
{
    const qint64 limit = BaseTimeLimitMs + sourceBytes / (1 << 20) * TimeLimitMsPerMiB;
    return int(std::min<qint64>(limit, qint64(wire::MaxSecondsPerEntry) * 1000));
}

void WorkerClient::Convert(const QString &source, const QString &target)
{
    Q_ASSERT(!m_busy);
    const QScopedValueRollback<bool> converting(m_converting, true);
    m_busy = true;
    m_timedOut = false;
    m_target = target;
    if (!EnsureStarted())
        return;
    const wire::Request request{QFile::encodeName(source).toStdString(),
                                QFile::encodeName(target).toStdString()};
    const std::string bytes = wire::EncodeRequest(request);
    m_process.write(bytes.data(), qint64(bytes.size()));
    // Into the pipe now rather than on a later turn of the event loop: with small files the
    // worker would otherwise wait on us.
    m_process.waitForBytesWritten(0);
    m_timer.start(TimeLimitMs(QFileInfo(source).size()));
}

void WorkerClient::Start()
{
    if (m_process.state() != QProcess::NotRunning)
        return;
    m_buffer.clear();
    m_process.start(m_program, {}, QIODevice::ReadWrite | QIODevice::Unbuffered);
}

bool WorkerClient::EnsureStarted()
{
    Start();
    if (m_process.state() != QProcess::Running && !m_process.waitForStarted(10'000)) {
        // errorOccurred may already have finished the entry.
        if (m_busy)
            Finish(Stopped("the converter could not be started"));
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
        m_process.kill();
        return;
    }
    if (response)
        Finish(*response);
}

void WorkerClient::OnProcessEnded()
{
    if (!m_busy)
        return;
    // It may have died halfway through a save: take its temporary file away with it.
    if (!m_target.isEmpty() && m_pid > 0) {
        // By its bytes: a name that is not UTF-8 would not survive a trip through QString.
        const std::string temp =
            TemporaryTargetFor(QFile::encodeName(m_target).toStdString(), m_pid);
        ::unlink(temp.c_str());
    }
    Finish(Stopped(m_timedOut ? "took too long" : "the converter stopped"));
}

void WorkerClient::OnTimeout()
{
    m_timedOut = true;
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
