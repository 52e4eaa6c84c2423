#pragma once

#include "scan/folderreader.h"

#include <QByteArrayList>
#include <QSet>

class ScanControl;

// The subfolder walk of the folder intake. It checks for a stop once per folder listing and
// once per entry, and ends there when told the scan should stop. Folders are
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

    ScanControl &m_control;
    QSet<FolderReader::Identity> m_entered;
};
