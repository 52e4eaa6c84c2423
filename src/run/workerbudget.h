#pragma once

#include <QByteArray>

// How much of the machine a run may take: how many workers at once, and how much memory the
// images they hold together may use.

// The cores this process may run on, at most 8.
int UsableCores();
// Half of the memory the machine has available now.
qint64 MemoryBudgetBytes();
// What converting the file may take in memory, from its header; 0 when its header tells nothing,
// and a little for a picture only the worker's streaming reader takes.
qint64 MemoryEstimateOf(const QByteArray &path);
