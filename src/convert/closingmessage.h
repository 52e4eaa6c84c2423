#pragma once

#include "wireformat.h"

#include <QString>

struct RunReport;

// A failure's reason in a few words; empty for success.
QString ReasonText(wire::Status status);

// The text a run closes with: exactly "Done." when every entry converted; otherwise "Done."
// followed by how many failed and which, each with a short reason and the worker's own word.
QString ClosingMessage(const RunReport &report);
