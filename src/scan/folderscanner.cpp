#include "scan/folderscanner.h"

#include "scan/argumententries.h"

#include <utility>

void FolderScanner::AskFolder(const QByteArray &folder, const QString &extension)
{
    Queue([this, folder, extension](const TakeFiles &take) {
        GatherFiles(folder, extension, *this, take);
    });
}

void FolderScanner::AskArguments(const QByteArrayList &arguments)
{
    Queue([this, arguments](const TakeFiles &take) {
        GatherArguments(arguments, QStringLiteral("psd"), *this, take);
    });
}

void FolderScanner::Queue(const std::function<void(const TakeFiles &)> &gather)
{
    // Posted to the scanner's own thread, whose queue keeps the order of asking.
    QMetaObject::invokeMethod(
        this,
        [this, gather] {
            m_sinceSent.invalidate();
            gather([this](const QByteArrayList &paths) { Take(paths); });
            Send();
            emit RequestEnded();
        },
        Qt::QueuedConnection);
}

void FolderScanner::Take(const QByteArrayList &paths)
{
    if (!paths.isEmpty())
        m_unsent.append(paths);
    if (!m_sinceSent.isValid() || m_sinceSent.elapsed() >= SendIntervalMs)
        Send();
}

void FolderScanner::Send()
{
    if (m_unsent.isEmpty())
        return;
    emit FoldersFound(std::exchange(m_unsent, {}));
    m_sinceSent.start();
}
