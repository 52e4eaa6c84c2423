#include "workerpool.h"

#include "workerbudget.h"
#include "workerclient.h"

WorkerPool::WorkerPool(const QString &program, int workerCount)
{
    for (int s = 0; s < std::max(1, workerCount); ++s) {
        m_slots.push_back(Slot{std::make_unique<WorkerClient>(program), -1});
        QObject::connect(m_slots[s].worker.get(), &WorkerClient::Finished, &m_loop,
                         [this, s](const wire::Response &response) { OnFinished(s, response); });
        m_slots[s].worker->Start();
    }
}

WorkerPool::~WorkerPool() = default;

void WorkerPool::Run(QVector<EntryResult> &entries, const std::function<void(int)> &handedOut,
                     const bool &stop, qint64 memoryBudget)
{
    m_memoryBudget = memoryBudget;
    m_entries = &entries;
    m_handedOut = handedOut;
    m_stop = &stop;
    m_next = 0;
    m_estimates.clear();
    for (const EntryResult &entry : entries)
        m_estimates.push_back(entry.target.isEmpty() ? 0 : MemoryEstimateOf(entry.source));
    HandOut();
    if (m_inFlight > 0)
        m_loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void WorkerPool::HandOut()
{
    const int n = int(m_entries->size());
    while (!*m_stop && m_next < n) {
        EntryResult &entry = (*m_entries)[m_next];
        if (entry.target.isEmpty()) {
            // Nothing to convert: no folder means no safe place for its JPEG.
            m_handedOut(m_next++);
            entry.status = wire::Status::Unreadable;
            entry.detail = QStringLiteral("its folder is gone");
            continue;
        }
        const int slot = CanStart(m_next) ? IdleSlot() : -1;
        if (slot < 0)
            break;
        m_slots[slot].entry = m_next;
        ++m_inFlight;
        m_memoryInHand += m_estimates[m_next];
        m_handedOut(m_next);
        m_slots[slot].worker->Convert(entry.source, entry.target);
        ++m_next;
    }
    if (m_inFlight == 0)
        m_loop.quit();
}

bool WorkerPool::CanStart(int entry) const
{
    if (m_inFlight == 0)
        return true;
    if (m_memoryInHand + m_estimates[entry] > m_memoryBudget)
        return false;
    // Two entries with one target never run together, so the first in the list wins.
    const QString &target = (*m_entries)[entry].target;
    return std::none_of(m_slots.cbegin(), m_slots.cend(), [&](const Slot &slot) {
        return slot.entry >= 0 && (*m_entries)[slot.entry].target == target;
    });
}

int WorkerPool::IdleSlot() const
{
    for (std::size_t s = 0; s < m_slots.size(); ++s) {
        if (m_slots[s].entry < 0)
            return int(s);
    }
    return -1;
}

void WorkerPool::OnFinished(std::size_t slot, const wire::Response &response)
{
    const int index = m_slots[slot].entry;
    EntryResult &entry = (*m_entries)[index];
    entry.status = response.status;
    entry.detail = QString::fromStdString(response.detail);
    m_slots[slot].entry = -1;
    --m_inFlight;
    m_memoryInHand -= m_estimates[index];
    HandOut();
}
