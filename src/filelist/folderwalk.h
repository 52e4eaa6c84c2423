#pragma once

#include "folderreader.h"

#include <QSet>
#include <QStringList>

class FolderIntakeHost;

// The subfolder walk of the folder intake. It yields to the host once per folder listing, once
// per entry and once per queued folder, and ends early when the host says the scan should stop.
// Folders are remembered by device and inode, so a link or bind mount that leads back into
// the tree is walked once and every walk ends.
class FolderWalk
{
public:
    explicit FolderWalk(FolderIntakeHost &host);

    // Appends every subfolder of every queued folder, at every depth, in level order; within
    // one parent in listing order. Hidden subfolders are never entered. Folders that cannot
    // be listed and entries whose attributes cannot be read are passed over. False when the
    // host stopped the walk; the queue is then incomplete.
    bool GatherSubfolders(QStringList &queue);

private:
    bool ListSubfolders(const QString &folder, QStringList &found);
    bool Yield();

    FolderIntakeHost &m_host;
    QSet<FolderReader::Identity> m_entered;
};
