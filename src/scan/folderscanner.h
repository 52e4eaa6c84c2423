#pragma once

#include "scan/gatherfiles.h"
#include "scan/scancontrol.h"

#include <QByteArrayList>
#include <QElapsedTimer>
#include <QList>
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
    // For good, from any thread: the running request ends at its next check, and every later
    // one at its first, all of them finding nothing more.
    void Stop() { m_stop = true; }

    bool ScanShouldStop() const override { return m_stop; }

signals:
    // The files of folders the scan has finished, a list for each folder (or run of named
    // files) in the order of the scan. A request's first list comes as soon as it is found, the
    // others together at most every SendIntervalMs and at the request's end.
    void FoldersFound(const QList<QByteArrayList> &folders);
    // One for each request, stopped or not, in the order they were asked; after its files.
    void RequestEnded();

private:
    // A signal for each folder woke the receiving thread thousands of times a second, which
    // cost a quarter more processor time; a person sees no difference.
    static constexpr qint64 SendIntervalMs = 10;

    void Queue(const std::function<void(const TakeFiles &)> &gather);
    void Take(const QByteArrayList &paths);
    void Send();

    std::atomic<bool> m_stop = false;
    // The scanner's thread's own.
    QList<QByteArrayList> m_unsent;
    QElapsedTimer m_sinceSent;
};
