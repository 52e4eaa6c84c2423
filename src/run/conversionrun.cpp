#include "run/conversionrun.h"

#include "run/targetpath.h"
#include "run/workerbudget.h"
#include "run/workerclient.h"

#include <QCoreApplication>
#include <QEventLoop>

ConversionRun::ConversionRun(QObject *parent)
    : QObject(parent),
      m_workerProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/quillmere-worker")),
      m_workerCount(UsableCores())
{
}

ConversionRun::~ConversionRun() = default;

void ConversionRun::SetWorkerCount(int count)
{
    if (!m_running && std::max(1, count) != m_workerCount) {
        m_workerCount = std::max(1, count);
        m_slots.clear();
    }
}

void ConversionRun::SetWorkerProgram(const QString &program)
{
    if (!m_running && program != m_workerProgram) {
        m_workerProgram = program;
        m_slots.clear();
    }
}

void ConversionRun::SetTimeLimitMs(int limit)
{
    m_timeLimitMs = limit;
    for (Slot &slot : m_slots)
        slot.worker->SetTimeLimitMs(limit);
}

void ConversionRun::StartWorkers()
{
    if (!m_slots.empty())
        return;
    for (int s = 0; s < m_workerCount; ++s) {
        m_slots.push_back(Slot{std::make_unique<WorkerClient>(m_workerProgram), -1});
        WorkerClient *worker = m_slots.back().worker.get();
        worker->SetTimeLimitMs(m_timeLimitMs);
        connect(worker, &WorkerClient::Finished, this,
                [this, s](const wire::Response &response) { OnWorkerFinished(s, response); });
        worker->Start();
    }
}

bool ConversionRun::Start(const QByteArrayList &sources)
{
    if (m_running)
        return false;
    StartWorkers();
    // Targets and estimates wait for each entry's turn: a long list starts at once, and a
    // folder that goes meanwhile is seen.
    m_report = RunReport();
    for (const QByteArray &source : sources)
        m_report.entries.append({source, {}, wire::Status::NotConverted, {}});
    m_estimates.assign(std::size_t(sources.size()), 0);
    m_memoryBudget = MemoryBudgetBytes();
    m_next = 0;
    m_prepared = 0;
    m_running = true;
    m_stopRequested = false;
    // The caller hears of the first entry only once it is back in the event loop.
    QMetaObject::invokeMethod(this, &ConversionRun::HandOut, Qt::QueuedConnection);
    return true;
}

void ConversionRun::Cancel()
{
    m_stopRequested = m_running;
}

void ConversionRun::HandOut()
{
    const int n = int(m_report.entries.size());
    while (!m_stopRequested && m_next < n) {
        const int index = m_next;
        EntryResult &entry = m_report.entries[index];
        if (m_prepared == index) {
            entry.target = TargetPathOf(entry.source);
            m_estimates[index] = entry.target.isEmpty() ? 0 : MemoryEstimateOf(entry.source);
            ++m_prepared;
        }
        if (entry.target.isEmpty()) {
            // No folder means no safe place for its JPEG.
            ++m_next;
            emit EntryStarted(index);
            entry.status = wire::Status::Unreadable;
            entry.detail = QStringLiteral("its folder is gone");
            emit EntryFinished(index, entry);
            continue;
        }
        const int slot = CanStart(index) ? IdleSlot() : -1;
        if (slot < 0)
            break;
        m_slots[slot].entry = index;
        ++m_inFlight;
        m_memoryInHand += m_estimates[index];
        ++m_next;
        emit EntryStarted(index);
        m_slots[slot].worker->Convert(entry.source, entry.target);
    }
    if (m_inFlight > 0)
        return;
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

bool ConversionRun::CanStart(int entry) const
{
    if (m_inFlight == 0)
        return true;
    if (m_memoryInHand + m_estimates[entry] > m_memoryBudget)
        return false;
    // Two entries with one target never run together, so the first in the list wins.
    const QByteArray &target = m_report.entries[entry].target;
    return std::none_of(m_slots.cbegin(), m_slots.cend(), [&](const Slot &slot) {
        return slot.entry >= 0 && m_report.entries[slot.entry].target == target;
    });
}

int ConversionRun::IdleSlot() const
{
    for (std::size_t s = 0; s < m_slots.size(); ++s) {
        if (m_slots[s].entry < 0)
            return int(s);
    }
    return -1;
}

void ConversionRun::OnWorkerFinished(std::size_t slot, const wire::Response &response)
{
    const int index = m_slots[slot].entry;
    EntryResult &entry = m_report.entries[index];
    entry.status = response.status;
    entry.detail = QString::fromStdString(response.detail);
    m_slots[slot].entry = -1;
    --m_inFlight;
    m_memoryInHand -= m_estimates[index];
    emit EntryFinished(index, entry);
    HandOut();
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
