#pragma once

#include "run/runreport.h"

#include <QByteArrayList>
#include <QObject>

#include <memory>
#include <vector>

class WorkerClient;

// Converts a batch: every source becomes a JPEG file beside it, made by worker processes so
// that no file can harm the caller. Entries are handed out in list order to as many workers as
// are idle; entries that share a target never run together, and a new entry waits while the
// images in hand would not leave room for its own. Everything it reports comes as signals from
// the event loop, never from inside a call. The workers start with the first run and serve
// every later one.
class ConversionRun : public QObject
{
    Q_OBJECT

public:
    explicit ConversionRun(QObject *parent = nullptr);
    ~ConversionRun() override;

    // How many workers convert at once (by default one per usable core), the program they run,
    // and the most any one entry may take (by default it grows with the file's size). Taken
    // while no run is going on; the workers start afresh at the next start.
    void SetWorkerCount(int count);
    void SetWorkerProgram(const QString &program);
    void SetTimeLimitMs(int limit);

    // Starts the workers ahead of the first run, e.g. before a timed one.
    void StartWorkers();
    // Converts the sources (the file system's bytes); false while a run is going on.
    bool Start(const QByteArrayList &sources);
    // No further entry is handed out; the ones in hand finish, then Finished follows.
    void Cancel();
    bool IsRunning() const { return m_running; }

signals:
    void EntryStarted(int index);
    void EntryFinished(int index, const EntryResult &result);
    // Entries a stop kept from their turn are reported as not converted.
    void Finished(const RunReport &report);

private:
    struct Slot {
        std::unique_ptr<WorkerClient> worker;
        int entry = -1; // -1 while idle
    };

    void HandOut();
    bool CanStart(int entry) const;
    int IdleSlot() const;
    void OnWorkerFinished(std::size_t slot, const wire::Response &response);

    QString m_workerProgram;
    int m_workerCount;
    int m_timeLimitMs = 0;
    std::vector<Slot> m_slots;
    RunReport m_report;
    std::vector<qint64> m_estimates;
    qint64 m_memoryBudget = 0;
    qint64 m_memoryInHand = 0;
    int m_next = 0;     // the next entry to hand out
    int m_prepared = 0; // entries whose target and estimate are known
    int m_inFlight = 0;
    bool m_running = false;
    bool m_stopRequested = false;
};

// Converts the sources in an event loop of its own, as a program without a window does, and
// returns the report; an empty one when a run was already going on.
RunReport RunToEnd(ConversionRun &run, const QByteArrayList &sources);
