#include "run/conversionrun.h"

#include "run/workerbudget.h"
#include "run/workerclient.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <algorithm>
#include <unistd.h>

namespace
{

// How many entries beyond one per worker are prepared ahead of the hand-out: enough that no
// worker waits on it, few enough that a folder removed during the run is seen.
constexpr int PrepareAhead = 2;

} // namespace

ConversionRun::ConversionRun(QObject *parent)
    : QObject(parent),
      m_workerProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/quillmere-worker")),
      m_workerCount(UsableCores()), m_preparing(new QThread), m_preparer(new EntryPreparer)
{
    m_preparer->moveToThread(m_preparing);
    connect(m_preparing, &QThread::finished, m_preparer, &QObject::deleteLater);
    connect(m_preparing, &QThread::finished, m_preparing, &QObject::deleteLater);
    connect(m_preparer, &EntryPreparer::Prepared, this, &ConversionRun::OnPrepared);
    m_preparing->start();
}

ConversionRun::~ConversionRun()
{
    // The thread ends after what it is doing, which a hung share may draw out.
    m_preparing->quit();
}

void ConversionRun::SetWorkerCount(int count)
{
    if (!m_running && std::max(1, count) != m_workerCount) {
        m_workerCount = std::max(1, count);
        m_workers.clear();
    }
}

void ConversionRun::SetWorkerProgram(const QString &program)
{
    if (!m_running && program != m_workerProgram) {
        m_workerProgram = program;
        m_workers.clear();
    }
}

void ConversionRun::SetTimeLimitMs(int limit)
{
    m_timeLimitMs = limit;
    for (Worker &worker : m_workers)
        worker.client->SetTimeLimitMs(limit);
}

void ConversionRun::StartWorkers()
{
    if (!m_workers.empty())
        return;
    for (int w = 0; w < m_workerCount; ++w) {
        m_workers.push_back(Worker{std::make_unique<WorkerClient>(m_workerProgram), -1});
        WorkerClient *client = m_workers.back().client.get();
        client->SetTimeLimitMs(m_timeLimitMs);
        connect(client, &WorkerClient::Finished, this,
                [this, w](const wire::Response &response) { OnWorkerFinished(w, response); });
        client->Start();
    }
}

bool ConversionRun::Start(const QByteArrayList &sources)
{
    if (m_running)
        return false;
    StartWorkers();
    m_report = RunReport();
    for (const QByteArray &source : sources)
        m_report.entries.append({source, {}, wire::Status::NotConverted, {}});
    m_needs.assign(std::size_t(sources.size()), {});
    m_written.clear();
    m_memoryBudget = MemoryBudgetBytes();
    m_next = 0;
    m_asked = 0;
    m_prepared = 0;
    m_running = true;
    m_handingOut = true;
    m_stopRequested = false;
    AskAhead();
    // The caller hears of the first entry only once it is back in the event loop.
    QMetaObject::invokeMethod(this, &ConversionRun::HandOut, Qt::QueuedConnection);
    return true;
}

void ConversionRun::Cancel()
{
    m_stopRequested = m_running;
    // With nothing in hand the run ends now, not once an entry being prepared comes back.
    if (m_handingOut && m_inFlight == 0)
        QMetaObject::invokeMethod(this, &ConversionRun::HandOut, Qt::QueuedConnection);
}

void ConversionRun::AskAhead()
{
    const int until = std::min(int(m_report.entries.size()), m_next + m_workerCount + PrepareAhead);
    for (; !m_stopRequested && m_asked < until; ++m_asked) {
        QMetaObject::invokeMethod(m_preparer,
                                  [preparer = m_preparer, run = m_runNumber, index = m_asked,
                                   rule = m_targetRule, source = m_report.entries[m_asked].source] {
                                      preparer->Prepare(run, index, source, rule);
                                  });
    }
}

void ConversionRun::OnPrepared(int run, int index, const PreparedEntry &entry)
{
    if (run != m_runNumber)
        return;
    m_report.entries[index].target = entry.target;
    m_needs[index] = entry;
    m_prepared = index + 1;
    HandOut();
}

void ConversionRun::HandOut()
{
    if (!m_handingOut)
        return;
    while (!m_stopRequested && m_next < m_prepared) {
        const int index = m_next;
        EntryResult &entry = m_report.entries[index];
        if (FailedBeforeHandOut(index))
            continue;
        const int worker = CanStart(index) ? IdleWorker() : -1;
        if (worker < 0)
            break;
        m_workers[worker].entry = index;
        ++m_inFlight;
        m_memoryInHand += m_needs[index].memoryBytes;
        ++m_next;
        emit EntryStarted(index);
        m_workers[worker].client->Convert(entry.source, entry.target, m_needs[index].sourceBytes,
                                          m_options);
    }
    AskAhead();
    if (m_inFlight > 0 || (!m_stopRequested && m_next < int(m_report.entries.size())))
        return;
    m_handingOut = false;
    RemoveFoldersLeftEmpty();
    ++m_runNumber;
    m_report.stopped = m_stopRequested;
    // From the event loop itself, so that what the caller does then (a modal message) does not
    // run inside a worker's notification.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_running = false;
            emit Finished(m_report);
        },
        Qt::QueuedConnection);
}

bool ConversionRun::FailedBeforeHandOut(int index)
{
    EntryResult &entry = m_report.entries[index];
    // No folder means no safe place for its JPEG; and an update would take an earlier entry's
    // fresh JPEG for this one's.
    if (entry.target.isEmpty()) {
        entry.status = wire::Status::Unreadable;
        entry.detail = QStringLiteral("its folder is gone");
    } else if (m_written.contains(entry.target)) {
        entry.status = wire::Status::AlreadyExists;
        entry.detail = QStringLiteral("made from an earlier file of this run");
    } else {
        return false;
    }
    ++m_next;
    emit EntryStarted(index);
    emit EntryFinished(index, entry);
    return true;
}

bool ConversionRun::CanStart(int entry) const
{
    if (m_inFlight == 0)
        return true;
    if (m_memoryInHand + m_needs[entry].memoryBytes > m_memoryBudget)
        return false;
    // Two entries with one target never run together, so the first in the list wins.
    const QByteArray &target = m_report.entries[entry].target;
    return std::none_of(m_workers.cbegin(), m_workers.cend(), [&](const Worker &worker) {
        return worker.entry >= 0 && m_report.entries[worker.entry].target == target;
    });
}

int ConversionRun::IdleWorker() const
{
    for (std::size_t w = 0; w < m_workers.size(); ++w) {
        if (m_workers[w].entry < 0)
            return int(w);
    }
    return -1;
}

void ConversionRun::OnWorkerFinished(std::size_t worker, const wire::Response &response)
{
    const int index = m_workers[worker].entry;
    EntryResult &entry = m_report.entries[index];
    entry.status = response.status;
    entry.detail = QString::fromStdString(response.detail);
    if (entry.status == wire::Status::Ok)
        m_written.insert(entry.target);
    m_workers[worker].entry = -1;
    --m_inFlight;
    m_memoryInHand -= m_needs[index].memoryBytes;
    emit EntryFinished(index, entry);
    HandOut();
}

// Only a rule that puts targets where no folder stands yet has any; with no worker busy, a folder
// still empty holds nothing this run made.
void ConversionRun::RemoveFoldersLeftEmpty() const
{
    QByteArrayList folders;
    for (int i = 0; i < m_prepared; ++i)
        folders += m_needs[i].newFolders;
    // A folder's name is longer than that of the folder it is in.
    std::sort(folders.begin(), folders.end(),
              [](const QByteArray &a, const QByteArray &b) { return a.size() > b.size(); });
    for (const QByteArray &folder : folders)
        ::rmdir(folder.constData());
}

RunReport RunToEnd(ConversionRun &run, const QByteArrayList &sources)
{
    RunReport report;
    QEventLoop loop;
    QObject::connect(&run, &ConversionRun::Finished, &loop, [&](const RunReport &finished) {
        report = finished;
        loop.quit();
    });
    if (run.Start(sources))
        loop.exec();
    return report;
}
