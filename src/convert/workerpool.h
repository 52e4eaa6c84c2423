#pragma once

#include "conversionrun.h"

#include <QEventLoop>

#include <functional>
#include <memory>
#include <vector>

class WorkerClient;

// Keeps several workers busy with a run's entries, handed out in list order. Entries that share
// a target never run together, and a new entry waits while the images in hand would not leave
// room for its own.
class WorkerPool
{
public:
    // Starts its workers at once: they wait, ready, for the first run.
    WorkerPool(const QString &program, int workerCount);
    ~WorkerPool();

    // Converts every entry that has a target, calling handedOut(i) as entry i leaves, and
    // returns when the last one is back; user input waits meanwhile. Once stop is set, no
    // further entry is handed out.
    void Run(QVector<EntryResult> &entries, const std::function<void(int)> &handedOut,
             const bool &stop, qint64 memoryBudget);

private:
    struct Slot {
        std::unique_ptr<WorkerClient> worker;
        int entry = -1; // -1 while idle
    };

    void HandOut();
    int IdleSlot() const;
    bool CanStart(int entry) const;
    void OnFinished(std::size_t slot, const wire::Response &response);

    qint64 m_memoryBudget = 0;
    std::vector<Slot> m_slots;
    std::vector<qint64> m_estimates;
    QVector<EntryResult> *m_entries = nullptr;
    std::function<void(int)> m_handedOut;
    const bool *m_stop = nullptr;
    QEventLoop m_loop;
    int m_next = 0;
    int m_inFlight = 0;
    qint64 m_memoryInHand = 0;
};
