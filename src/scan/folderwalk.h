#pragma once

#include "scan/folderreader.h"

#include <QByteArrayList>
#include <QSet>

class ScanControl;

// The subfolder walk of the folder intake. It yields once per folder listing, once per entry
// and once per queued folder, and ends early when told the scan should stop. Folders are
// remembered by device and inode, so a link or bind mount that leads back into the tree is
// walked once and every walk ends.
class FolderWalk
{
public:
    explicit FolderWalk(ScanControl &control);

    // Appends every subfolder of every queued folder (each ending in "/"), at every depth, in
    // level order; within one parent in listing order. Hidden subfolders are never entered.
    // Folders that cannot be listed and entries whose attributes cannot be read are passed
    // over. False when the walk was stopped; the queue is then incomplete.
    bool GatherSubfolders(QByteArrayList &queue);

private:
    bool ListSubfolders(const QByteArray &folder, QByteArrayList &found);
    bool Yield();

    ScanControl &m_control;
    QSet<FolderReader::Identity> m_entered;
};
