#pragma once

#include "run/entrypreparer.h"
#include "run/runreport.h"
#include "run/targetpath.h"
#include "shared/protocol/wireformat.h"

#include <QByteArrayList>
#include <QObject>
#include <QSet>

#include <memory>
#include <vector>

class QThread;
class WorkerClient;

// Converts a batch: every source becomes a JPEG file beside it (or where the caller's rule says),
// made by worker processes so that no file can harm the caller. Entries are handed out in list
// order to as many workers as are idle; entries that share a target never run together, and a new
// entry waits while the images in hand would not leave room for its own. Each entry's target and
// what it may take are found on a thread of its own, a few entries ahead of its turn, so a slow
// share never holds up the caller. Everything it reports comes as signals from the event loop,
// never from inside a call. The workers start with the first run and serve every later one.
class ConversionRun : public QObject
{
    Q_OBJECT

public:
    explicit ConversionRun(QObject *parent = nullptr);
    // Returns at once, whatever its workers and its preparation are in the middle of.
    ~ConversionRun() override;

    // How many workers convert at once (by default one per usable core), the program they run,
    // and the most any one entry may take (by default it grows with the file's size). Taken
    // while no run is going on; the workers start afresh at the next start.
    void SetWorkerCount(int count);
    void SetWorkerProgram(const QString &program);
    void SetTimeLimitMs(int limit);
    // The JPEG files get the picture only: no resolution, EXIF, IPTC, XMP or colour profile.
    void SetStripMetadata(bool strip) { m_options.stripMetadata = strip; }
    // A JPEG file older than its source is replaced; one as new is counted as up to date.
    void SetUpdate(bool update) { m_options.update = update; }
    void SetQuality(int quality) { m_options.quality = quality; }
    // Where each source's JPEG file goes; by default beside it (TargetPathOf). Called on the
    // preparation's thread, so it must not touch what the caller goes on changing.
    void SetTargetRule(TargetRule rule) { m_targetRule = std::move(rule); }

    // Starts the workers ahead of the first run, e.g. before a timed one.
    void StartWorkers();
    // Converts the sources (the file system's bytes); false while a run is going on.
    bool Start(const QByteArrayList &sources);
    // No further entry is handed out; the ones in hand finish, then Finished follows, without
    // waiting for an entry still being prepared.
    void Cancel();
    bool IsRunning() const { return m_running; }

signals:
    void EntryStarted(int index);
    void EntryFinished(int index, const EntryResult &result);
    // Entries a stop kept from their turn are reported as not converted.
    void Finished(const RunReport &report);

private:
    // A worker and the entry it converts.
    struct Worker {
        std::unique_ptr<WorkerClient> client;
        int entry = -1; // -1 while idle
    };

    void AskAhead();
    void OnPrepared(int run, int index, const PreparedEntry &entry);
    void HandOut();
    bool FailedBeforeHandOut(int index);
    bool CanStart(int entry) const;
    int IdleWorker() const;
    void OnWorkerFinished(std::size_t worker, const wire::Response &response);
    void RemoveFoldersLeftEmpty() const;

    QString m_workerProgram;
    int m_workerCount;
    int m_timeLimitMs = 0;
    wire::Options m_options;
    TargetRule m_targetRule = TargetPathOf;
    std::vector<Worker> m_workers;
    QThread *m_preparing;      // ends and goes by itself after this run is gone
    EntryPreparer *m_preparer; // lives on m_preparing
    int m_runNumber = 0;       // tells this run's preparations from an earlier one's
    RunReport m_report;
    std::vector<PreparedEntry> m_needs;
    QSet<QByteArray> m_written; // targets this run has made: a later entry may not take them
    qint64 m_memoryBudget = 0;
    qint64 m_memoryInHand = 0;
    int m_next = 0;     // the next entry to hand out
    int m_asked = 0;    // entries given to the preparer
    int m_prepared = 0; // entries whose preparation is back
    int m_inFlight = 0;
    bool m_running = false;
    bool m_handingOut = false; // until the run's end is on its way
    bool m_stopRequested = false;
};

// Converts the sources in an event loop of its own, as a program without a window does, and
// returns the report; an empty one when a run was already going on.
RunReport RunToEnd(ConversionRun &run, const QByteArrayList &sources);
