#pragma once

#include <QByteArrayList>
#include <QLatin1StringView>
#include <QString>

#include <functional>

class FileList;
class FolderIntakeHost;

// "Add All File(s) In Folder": asks for an extension and a folder, then appends every file of
// that extension in the folder and below it, one insertion per folder. Shows no message.
// Run() may be re-entered from a yield of the walk (a second scan, a drop, a removal): each
// run keeps its own state and only appends, so none of them loses an entry.
class FolderIntake
{
public:
    static constexpr QLatin1StringView ExtensionPrompt{"Enter file extension to load:"};
    static constexpr QLatin1StringView PromptTitle{"Quillmere"};
    static constexpr QLatin1StringView DefaultExtension{"*"};
    static constexpr QLatin1StringView FolderPrompt{"Please select folder to add:"};

    FolderIntake(FileList &list, FolderIntakeHost &host);

    void Run();
    // Paths named on the command line, gathered as EntriesOfArguments gathers them, for psd
    // files; asks nothing.
    void AddArguments(const QByteArrayList &arguments);
    // A scan is going on, or one nested in its yields.
    bool IsScanning() const { return m_scans > 0; }

private:
    // The pointer stays busy while the work runs and any scan nested in its yields.
    void WhileBusy(const std::function<void()> &work);

    FileList &m_list;
    FolderIntakeHost &m_host;
    // Scans in progress, nested ones included: the pointer stays busy until the last ends.
    int m_scans = 0;
};
