#pragma once

#include "run/targetpath.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QObject>

// What the hand-out needs to know of an entry before a worker takes it.
struct PreparedEntry {
    QByteArray target;      // empty when the source's folder is gone
    qint64 sourceBytes = 0; // 0 for what is not a regular file
    qint64 memoryBytes = 0; // what converting it may take
    // The folders above the target that did not stand when asked, deepest first: the worker
    // makes them, and the run takes away those a failure left empty.
    QByteArrayList newFolders;
};

// Finds what the hand-out needs of each entry on a thread of its own: all of it asks the file
// system, which a slow or hung share can keep waiting. It answers in the order it was asked.
class EntryPreparer : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // The run and the entry are the caller's numbers, handed back with the answer.
    void Prepare(int run, int index, const QByteArray &source, const TargetRule &rule);

signals:
    void Prepared(int run, int index, const PreparedEntry &entry);
};
