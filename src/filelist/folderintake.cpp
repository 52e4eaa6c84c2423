#include "filelist/folderintake.h"

#include "filelist/filelist.h"
#include "filelist/folderintakehost.h"
#include "scan/folderscanner.h"

#include <QFile>

FolderIntake::FolderIntake(FileList &list, FolderIntakeHost &host) : m_list(list), m_host(host)
{
    connect(&Scanner(), &FolderScanner::FoldersFound, this,
            [this](const QList<QByteArrayList> &folders) {
                for (const QByteArrayList &paths : folders)
                    m_list.AppendPaths(paths);
            });
    connect(&Scanner(), &FolderScanner::RequestEnded, this, &FolderIntake::RequestEnded);
}

void FolderIntake::Run()
{
    const QString extension = m_host.AskText(ExtensionPrompt, PromptTitle, DefaultExtension);
    if (extension.isEmpty())
        return;
    const QString folder = m_host.ChooseFolder(FolderPrompt);
    if (folder.isEmpty())
        return;
    Asked();
    // The chooser speaks text; the scan below it reads names as bytes.
    Scanner().AskFolder(QFile::encodeName(folder), extension);
}

void FolderIntake::AddArguments(const QByteArrayList &arguments)
{
    if (arguments.isEmpty())
        return;
    Asked();
    Scanner().AskArguments(arguments);
}

void FolderIntake::Stop()
{
    Scanner().Stop();
}

void FolderIntake::Asked()
{
    if (m_pending++ == 0)
        m_host.SetBusy(true);
}

void FolderIntake::RequestEnded()
{
    if (--m_pending > 0)
        return;
    m_host.SetBusy(false);
    emit ScansEnded();
}
