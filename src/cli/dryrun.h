#pragma once

#include "run/targetpath.h"

#include <QByteArrayList>

#include <cstdio>

// What a run would do, told without doing it: a line for each source on out, "SOURCE ->
// TARGET: " and "convert", "up to date" or the reason it would fail, decided as the worker
// decides it at the moment it would write. Writes nothing else and starts no worker. The exit
// status a run would have: 0 when none would fail, 1 otherwise.
int ListDryRun(const QByteArrayList &sources, const TargetRule &rule, bool update, std::FILE *out);
