#pragma once

#include "scan/gatherfiles.h"
#include "scan/scancontrol.h"

#include <QByteArrayList>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>

// The folder scans of the window, away from its thread: the object lives on a thread of its own
// (see ScanThread) and takes requests from any thread, running them one after the other in the
// order asked. What they find, and their ends, come back as signals.
class FolderScanner : public QObject, public ScanControl
{
    Q_OBJECT

public:
    // Every file of the extension in folder and below it, as GatherFiles gathers them.
    void AskFolder(const QByteArray &folder, const QString &extension);
    // What a command line names, as GatherArguments gathers it for psd files.
    void AskArguments(const QByteArrayList &arguments);
    // For good, from any thread: the running request ends at its next check, and every other
    // one ends at once, all of them finding nothing more.
    void Stop() { m_stop = true; }

    bool ScanShouldStop() const override { return m_stop; }

signals:
    // The files of one folder, or a run of named files, in the order of the scan.
    void FilesFound(const QByteArrayList &paths);
    // One for each request, stopped or not, in the order they were asked.
    void RequestEnded();

private:
    void Queue(const std::function<void(const TakeFiles &)> &gather);

    std::atomic<bool> m_stop = false;
};
