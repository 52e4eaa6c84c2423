#pragma once

#include "runwindow.h"
#include "wireformat.h"

#include <QObject>
#include <QString>
#include <QVector>

#include <algorithm>
#include <memory>

class FileList;
class WorkerPool;

// What became of one entry.
struct EntryResult {
    QString source;
    QString target; // empty when no target could be formed
    wire::Status status = wire::Status::Ok;
    QString detail; // the decoder that served it, or a word on the failure
};

struct RunReport {
    QVector<EntryResult> entries; // in list order
    bool stopped = false;         // a stop request ended the run early
    int FailedCount() const;
};

// One pass over the file list: every entry becomes a JPEG file beside its source, converted by
// worker processes so that no file can harm the window. The pass blocks its caller but keeps
// the event loop turning without user input, so the window paints and the list cannot change.
class ConversionRun : public QObject
{
    Q_OBJECT

public:
    // Its workers start at once, so that the first press finds them ready.
    ConversionRun(RunWindow &window, const FileList &list, QObject *parent = nullptr);
    ~ConversionRun() override;

    // The convert button's click notification: runs a pass when it finds the button pressed.
    void OnConvertClicked();
    // The pass itself, with its closing message; returns what became of each entry.
    RunReport Run();
    bool IsRunning() const { return m_running; }
    // Ends the pass after the entries in hand, with no closing message.
    void RequestStop() { m_stopRequested = true; }

    // How many workers convert at once; by default one per usable core.
    void SetWorkerCount(int count);
    void SetWorkerProgram(const QString &program);

private:
    void Convert(RunReport &report);
    void StartWorkers();

    RunWindow &m_window;
    const FileList &m_list;
    QString m_workerProgram;
    int m_workerCount;
    std::unique_ptr<WorkerPool> m_pool;
    bool m_running = false;
    bool m_stopRequested = false;
};
