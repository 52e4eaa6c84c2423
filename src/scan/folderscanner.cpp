#include "scan/folderscanner.h"

#include "scan/argumententries.h"

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
            if (!m_stop)
                gather([this](const QByteArrayList &paths) { emit FilesFound(paths); });
            emit RequestEnded();
        },
        Qt::QueuedConnection);
}
