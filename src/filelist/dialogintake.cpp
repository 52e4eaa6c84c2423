#include "filelist/dialogintake.h"

#include "filelist/filechooser.h"
#include "filelist/filelist.h"

#include <QFile>

DialogIntake::DialogIntake(FileList &list, FileChooser &chooser) : m_list(list), m_chooser(chooser)
{
}

void DialogIntake::Run()
{
    // The dialog speaks text; the list holds the file system's bytes.
    QByteArrayList paths;
    for (const QString &path : m_chooser.ChooseFiles(Title, Filter))
        paths.append(QFile::encodeName(path));
    m_list.AppendPaths(paths);
}
