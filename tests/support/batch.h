#pragma once

#include "run/conversionrun.h"
#include "support/fixtures.h"

#include <QDir>
#include <QTemporaryDir>

using Files = QList<std::pair<QString, QByteArray>>;

// One folder, its batch and the run that converts it.
struct Batch {
    QTemporaryDir dir;
    QByteArrayList sources;
    ConversionRun run;

    Batch &Add(const Files &files)
    {
        for (const auto &[name, bytes] : files)
            sources << QFile::encodeName(WriteFile(dir, name, bytes));
        return *this;
    }
    RunReport Convert(int workers)
    {
        run.SetWorkerCount(workers);
        return RunToEnd(run, sources);
    }
    // Everything in the folder, hidden files included.
    QStringList Contents() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QByteArray Read(const QString &name) const
    {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};
