#pragma once

#include "wireformat.h"

#include <QString>

struct EntryResult;
struct RunReport;

// A failure's reason in a few words; empty for success.
QString ReasonText(wire::Status status);
// A failure in a few words and, briefly, the worker's own word on it.
QString FailureText(const EntryResult &entry);

// The text a run closes with: exactly "Done." when every entry converted; otherwise "Done."
// followed by how many failed and which, each with a short reason and the worker's own word.
QString ClosingMessage(const RunReport &report);
