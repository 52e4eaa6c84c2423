#include "folderintake.h"

#include "filelist.h"
#include "folderintakehost.h"
#include "gatherfiles.h"

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
    if (m_scans++ == 0)
        m_host.SetBusy(true);
    // The chooser speaks text; the scan below it reads names as bytes.
    GatherFiles(QFile::encodeName(folder), extension, m_host,
                [this](const QByteArrayList &paths) { m_list.AppendPaths(paths); });
    if (--m_scans == 0)
        m_host.SetBusy(false);
}
