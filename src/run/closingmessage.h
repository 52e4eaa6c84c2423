#pragma once

#include "shared/protocol/wireformat.h"

#include <QByteArray>
#include <QString>

struct EntryResult;
struct RunReport;

// A failure's reason in a few words; empty for success.
QString ReasonText(wire::Status status);
// One line for a failed entry: its source (a line break in the name shown as "\n"), its
// failure in a few words and, briefly, the worker's own word on it.
QByteArray FailureLine(const EntryResult &entry);

// The text a run closes with: exactly "Done." when every entry converted; otherwise "Done."
// followed by how many failed and which, each with a short reason and the worker's own word.
QString ClosingMessage(const RunReport &report);
// Every failed entry's line, for the message's details to show and copy; empty when none failed.
QString ClosingDetails(const RunReport &report);
