#include "folderintake.h"

#include "filelist.h"
#include "folderintakehost.h"
#include "folderwalk.h"
#include "matchingfiles.h"

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
    Scan(folder, extension);
    if (--m_scans == 0)
        m_host.SetBusy(false);
}

void FolderIntake::Scan(const QString &folder, const QString &extension)
{
    const QChar slash = QLatin1Char('/');
    QStringList queue{folder.endsWith(slash) ? folder : folder + slash};
    FolderWalk walk(m_host);
    if (!walk.GatherSubfolders(queue))
        return;
    const QString pattern = QLatin1String("*.") + extension;
    for (const QString &queued : std::as_const(queue)) {
        QStringList paths;
        for (const QString &name : ListMatchingFiles(queued, pattern)) {
            if (!name.startsWith(QLatin1Char('~')))
                paths.append(queued + name);
        }
        m_list.AppendPaths(paths);
    }
}
