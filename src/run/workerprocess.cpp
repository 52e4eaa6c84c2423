#include "run/workerprocess.h"

#include "shared/protocol/tempname.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

// Retired processes wait under the application object until they end.
QList<WorkerProcess *> Parked()
{
    return QCoreApplication::instance()->findChildren<WorkerProcess *>(Qt::FindDirectChildrenOnly);
}

// As the application ends, what has not ended yet is killed and reaped.
void ReapParked()
{
    qDeleteAll(Parked());
}

} // namespace

WorkerProcess::WorkerProcess(const QString &program, QObject *parent) : QObject(parent)
{
    m_process.setProgram(program);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(&m_process, &QProcess::started, this, [this] {
        m_pid = m_process.processId();
        emit Started();
    });
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &WorkerProcess::OnReadyRead);
    connect(&m_process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        CleanUp();
        emit Ended(code, status);
    });
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return; // its end follows
        CleanUp();
        emit FailedToStart(m_process.errorString());
    });
}

WorkerProcess::~WorkerProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        // Only as the application ends, with no event loop left to hear of its end: a killed
        // process goes at once, and reaping it here keeps it from outliving us.
        m_process.disconnect(this);
        m_process.kill();
        m_process.waitForFinished();
    }
    CleanUp();
}

void WorkerProcess::Start()
{
    // A socket rather than QProcess's own pipe: a request is in it at once instead of a turn of
    // the event loop later, and a worker that has died fails the write instead of raising SIGPIPE.
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        emit FailedToStart(QString::fromLocal8Bit(strerror(errno)));
        return;
    }
    m_input = ends[0];
    const int theirs = ends[1];
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (m_scratch.isValid()) {
        environment.insert(QStringLiteral("MAGICK_TEMPORARY_PATH"), m_scratch.path());
        environment.insert(QStringLiteral("TMPDIR"), m_scratch.path());
    }
    m_process.setProcessEnvironment(environment);
    m_process.setChildProcessModifier([theirs] { ::dup2(theirs, STDIN_FILENO); });
    m_process.start(QIODevice::ReadOnly);
    ::close(theirs);
}

bool WorkerProcess::IsReady() const
{
    return m_process.state() == QProcess::Running && !m_killed;
}

void WorkerProcess::Send(const wire::Request &request)
{
    m_target = request.target;
    const std::string bytes = wire::EncodeRequest(request);
    // Between two requests the socket is empty, and it holds far more than one.
    const ssize_t sent = ::send(m_input, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent != ssize_t(bytes.size()))
        Kill();
}

void WorkerProcess::Kill()
{
    m_killed = true;
    m_process.kill();
}

void WorkerProcess::Retire()
{
    disconnect(this, nullptr, nullptr, nullptr);
    if (m_process.state() == QProcess::NotRunning) {
        deleteLater();
        return;
    }
    if (Parked().isEmpty())
        qAddPostRoutine(ReapParked);
    setParent(QCoreApplication::instance());
    const auto leave = [this] {
        setParent(nullptr);
        if (Parked().isEmpty())
            qRemovePostRoutine(ReapParked);
        deleteLater();
    };
    connect(this, &WorkerProcess::Ended, this, leave);
    connect(this, &WorkerProcess::FailedToStart, this, leave);
    // An idle worker ends on end of input; one in the middle of an entry would finish it first.
    if (m_target.empty())
        CloseInput();
    else
        Kill();
}

void WorkerProcess::OnReadyRead()
{
    const QByteArray bytes = m_process.readAllStandardOutput();
    m_buffer.append(bytes.constData(), std::size_t(bytes.size()));
    bool malformed = false;
    std::optional<wire::Response> response = wire::TakeResponse(m_buffer, malformed);
    if (malformed || (response && m_target.empty())) {
        // A worker that talks out of turn cannot be trusted with the next entry.
        Kill();
        return;
    }
    // Even after a kill for time: its answer means the JPEG file is whole and in place.
    if (response) {
        m_target.clear();
        emit Answered(*response);
    }
}

void WorkerProcess::CleanUp()
{
    // It may have died halfway through a save: its temporary file goes with it, and whatever
    // its decoders left in the scratch folder.
    if (!m_target.empty() && m_pid > 0)
        ::unlink(TemporaryTargetFor(m_target, m_pid).c_str());
    m_target.clear();
    m_scratch.remove();
    CloseInput();
}

void WorkerProcess::CloseInput()
{
    if (m_input >= 0)
        ::close(m_input);
    m_input = -1;
}
