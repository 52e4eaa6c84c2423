#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

struct BaselineResult {
    QVector<bool> converted; // per file
    double seconds = 0;
    double peakRssMb = 0;
    bool available = true;
};

// DevIL's own load-and-save loop, in child processes since damaged files crash it; a child
// that dies is followed by a fresh one from the next file.
BaselineResult RunDevilBaseline(const QStringList &files, const QString &scratch);
// ImageMagick's convert, one process per file; not available when it is not installed.
BaselineResult RunMagickBaseline(const QStringList &files, const QString &scratch);
// The peak resident memory of this process and of the largest child it has waited for.
double PeakRssMb();
