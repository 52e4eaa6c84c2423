#pragma once

#include "shared/protocol/wireformat.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// What became of one entry. Paths are the file system's bytes.
struct EntryResult {
    QByteArray source;
    QByteArray target; // empty when no target could be formed
    // Until its result is in, an entry counts as not converted.
    wire::Status status = wire::Status::NotConverted;
    QString detail; // the decoder that served it, or the worker's word on the failure
};

// Converted, or left alone as up to date: nothing to say about it.
bool Succeeded(wire::Status status);

struct RunReport {
    QVector<EntryResult> entries; // in list order
    bool stopped = false;         // a stop request ended the run early
    // Entries neither converted nor up to date.
    int FailedCount() const;
    int CountOf(wire::Status status) const;
};
