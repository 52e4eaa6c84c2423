#pragma once

#include "runwindow.h"
#include "wireformat.h"

#include <QObject>
#include <QString>
#include <QVector>

#include <algorithm>

class FileList;

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
    ConversionRun(RunWindow &window, const FileList &list, QObject *parent = nullptr);

    // The convert button's click notification: runs a pass when it finds the button pressed.
    void OnConvertClicked();
    // The pass itself, with its closing message; returns what became of each entry.
    RunReport Run();
    bool IsRunning() const { return m_running; }
    // Ends the pass after the entries in hand, with no closing message.
    void RequestStop() { m_stopRequested = true; }

    // How many workers convert at once; by default one per usable core.
    void SetWorkerCount(int count) { m_workerCount = std::max(1, count); }
    void SetWorkerProgram(const QString &program) { m_workerProgram = program; }

private:
    void Convert(RunReport &report);

    RunWindow &m_window;
    const FileList &m_list;
    QString m_workerProgram;
    int m_workerCount;
    bool m_running = false;
    bool m_stopRequested = false;
};
