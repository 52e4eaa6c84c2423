#pragma once

#include "filelist.h"

#include <QFile>

// Until the list holds bytes, byte paths reach it as text.
inline void AppendToList(FileList &list, const QByteArrayList &paths)
{
    QStringList texts;
    for (const QByteArray &path : paths)
        texts.append(QFile::decodeName(path));
    list.AppendPaths(texts);
}
