#include "dropintake.h"

#include "filelist.h"

#include <QMimeData>
#include <QSysInfo>
#include <QUrl>

namespace
{

// A file URL naming this machine by name is local too; Qt would make "//host/path" of it,
// which on Linux is another path. A file URL naming any other host is not ours to read.
QString LocalPath(QUrl url)
{
    const QString host = url.host();
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
        host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0)
        url.setHost(QString());
    return url.host().isEmpty() ? url.toLocalFile() : QString();
}

QStringList LocalPaths(const QMimeData *data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl &url : data->urls()) {
        const QString path = LocalPath(url);
        if (!path.isEmpty())
            paths.append(path);
    }
    return paths;
}

} // namespace

DropIntake::DropIntake(FileList &list) : m_list(list) {}

bool DropIntake::Accepts(const QMimeData *data) const
{
    return m_on && !LocalPaths(data).isEmpty();
}

bool DropIntake::Drop(const QMimeData *data)
{
    const QStringList paths = m_on ? LocalPaths(data) : QStringList();
    m_list.AppendPaths(paths);
    return !paths.isEmpty();
}
