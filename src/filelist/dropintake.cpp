#include "filelist/dropintake.h"

#include "filelist/filelist.h"

#include <QMimeData>
#include <QSysInfo>
#include <QUrl>

namespace
{

// The bytes of a local file URL's path. A URL naming this machine by name is local too; one
// naming any other host is not ours to read. The path is decoded from its percent-encoding
// straight to bytes: through text, a name that is not UTF-8 would become another.
QByteArray LocalPath(const QUrl &url)
{
    if (url.scheme() != QLatin1String("file"))
        return {};
    const QString host = url.host();
    if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0 &&
        host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) != 0)
        return {};
    const QByteArray path =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    return path.startsWith('/') && !path.contains('\0') ? path : QByteArray();
}

QByteArrayList LocalPaths(const QMimeData *data)
{
    QByteArrayList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl &url : data->urls()) {
        const QByteArray path = LocalPath(url);
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
    const QByteArrayList paths = m_on ? LocalPaths(data) : QByteArrayList();
    m_list.AppendPaths(paths);
    return !paths.isEmpty();
}
