#pragma once

#include "scan/scanthread.h"

#include <QByteArrayList>
#include <QLatin1StringView>
#include <QObject>
#include <QString>

class FileList;
class FolderIntakeHost;
class FolderScanner;

// "Add All File(s) In Folder": asks for an extension and a folder, then appends every file of
// that extension in the folder and below it, one insertion per folder. Shows no message. The
// scan runs on a thread of its own; the list, the prompts and everything else on the window
// stay free meanwhile, and a scan asked for while one runs follows it.
class FolderIntake : public QObject
{
    Q_OBJECT

public:
    static constexpr QLatin1StringView ExtensionPrompt{"Enter file extension to load:"};
    static constexpr QLatin1StringView PromptTitle{"Quillmere"};
    static constexpr QLatin1StringView DefaultExtension{"*"};
    static constexpr QLatin1StringView FolderPrompt{"Please select folder to add:"};

    FolderIntake(FileList &list, FolderIntakeHost &host);

    void Run();
    // Paths named on the command line, gathered as GatherArguments gathers them, for psd
    // files; asks nothing.
    void AddArguments(const QByteArrayList &arguments);
    // A scan is running or waiting for its turn.
    bool IsScanning() const { return m_pending > 0; }
    // Ends the running scan at its next check and drops the waiting ones, for good.
    void Stop();
    FolderScanner &Scanner() const { return m_thread.Scanner(); }

signals:
    // The last scan asked for has ended, stopped or not.
    void ScansEnded();

private:
    void Asked();
    void RequestEnded();

    FileList &m_list;
    FolderIntakeHost &m_host;
    ScanThread m_thread;
    // Scans asked for and not yet ended: the pointer is busy while there are any.
    int m_pending = 0;
};
