#include "filelist/folderintake.h"

#include "filelist/filelist.h"
#include "filelist/folderintakehost.h"
#include "scan/argumententries.h"
#include "scan/gatherfiles.h"

#include <QFile>

FolderIntake::FolderIntake(FileList &list, FolderIntakeHost &host) : m_list(list), m_host(host) {}

void FolderIntake::Run()
{
    const QString extension = m_host.AskText(ExtensionPrompt, PromptTitle, DefaultExtension);
    if (extension.isEmpty())
        return;
    const QString folder = m_host.ChooseFolder(FolderPrompt);
    if (folder.isEmpty())
        return;
    // The chooser speaks text; the scan below it reads names as bytes.
    WhileBusy([&] {
        GatherFiles(QFile::encodeName(folder), extension, m_host,
                    [this](const QByteArrayList &paths) { m_list.AppendPaths(paths); });
    });
}

void FolderIntake::AddArguments(const QByteArrayList &arguments)
{
    if (arguments.isEmpty())
        return;
    WhileBusy(
        [&] { m_list.AppendPaths(EntriesOfArguments(arguments, QStringLiteral("psd"), m_host)); });
}

void FolderIntake::WhileBusy(const std::function<void()> &work)
{
    if (m_scans++ == 0)
        m_host.SetBusy(true);
    work();
    if (--m_scans == 0)
        m_host.SetBusy(false);
}
