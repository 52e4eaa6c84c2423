#pragma once

#include "conversionrun.h"

#include <QEventLoop>

// Runs a batch to its end in an event loop of the caller's, as a program without a window does.
inline RunReport RunToEnd(ConversionRun &run, const QByteArrayList &sources)
{
    RunReport report;
    QEventLoop loop;
    QObject::connect(&run, &ConversionRun::Finished, &loop, [&](const RunReport &finished) {
        report = finished;
        loop.quit();
    });
    if (run.Start(sources))
        loop.exec();
    return report;
}
