#pragma once

#include "wireformat.h"

#include <QString>

struct RunReport;

// A failure's reason in a few words; empty for success.
QString ReasonText(wire::Status status);

// The text the run closes with: exactly "Done." when every entry converted; otherwise "Done."
// followed by how many failed and which, each with a short reason.
QString ClosingMessage(const RunReport &report);
