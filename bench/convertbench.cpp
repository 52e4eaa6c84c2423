#include "convertbench.h"

#include "baseline.h"
#include "run/closingmessage.h"
#include "run/conversionrun.h"
#include "shared/psd/psdheader.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace
{

struct Options {
    bool baseline = false;
    bool stripMetadata = false;
    int workers = 0; // 0: the run's own choice
    QString dir;
};

bool ParseOptions(QStringList args, Options &options)
{
    while (!args.isEmpty() && args.first().startsWith(QLatin1String("--"))) {
        const QString flag = args.takeFirst();
        if (flag == QLatin1String("--baseline"))
            options.baseline = true;
        else if (flag == QLatin1String("--strip-metadata"))
            options.stripMetadata = true;
        else if (flag == QLatin1String("--workers") && !args.isEmpty())
            options.workers = args.takeFirst().toInt();
        else
            return false;
    }
    if (args.size() != 1)
        return false;
    options.dir = args.first();
    return true;
}

// The app lists full paths, and the run writes nothing relative to the current folder.
QStringList SourcesIn(const QString &dir)
{
    const QDir folder(dir);
    QStringList files = folder.entryList({QStringLiteral("*.psd"), QStringLiteral("*.psb")},
                                         QDir::Files, QDir::Name);
    for (QString &file : files)
        file = folder.absoluteFilePath(file);
    return files;
}

double Megapixels(const QStringList &files)
{
    double pixels = 0;
    for (const QString &file : files) {
        if (const auto header = ReadPsdHeader(QFile::encodeName(file).toStdString()))
            pixels += double(header->width) * double(header->height);
    }
    return pixels / 1e6;
}

void PrintSummary(const char *label, int files, int converted, double seconds, double mpix,
                  double peakMb)
{
    std::printf("%sfiles=%d converted=%d failed=%d seconds=%.3f mpix_per_s=%.3f "
                "peak_rss_mb=%.1f\n",
                label, files, converted, files - converted, seconds,
                seconds > 0 ? mpix / seconds : 0.0, peakMb);
}

int CountTrue(const QVector<bool> &flags)
{
    return int(std::count(flags.cbegin(), flags.cend(), true));
}

void RunBaselines(const QStringList &files, double mpix, double runSeconds)
{
    QTemporaryDir scratch;
    const BaselineResult devil = RunDevilBaseline(files, scratch.path());
    PrintSummary("devil: ", int(files.size()), CountTrue(devil.converted), devil.seconds, mpix,
                 devil.peakRssMb);
    std::printf("ratio_vs_devil=%.3f\n", devil.seconds / runSeconds);
    const BaselineResult magick = RunMagickBaseline(files, scratch.path());
    if (!magick.available) {
        std::printf("imagemagick: not installed\n");
        return;
    }
    PrintSummary("imagemagick: ", int(files.size()), CountTrue(magick.converted), magick.seconds,
                 mpix, magick.peakRssMb);
    std::printf("ratio_vs_imagemagick=%.3f\n", magick.seconds / runSeconds);
}

RunReport TimedRun(const QStringList &files, const Options &options, double &seconds)
{
    QByteArrayList sources;
    for (const QString &file : files)
        sources << QFile::encodeName(file);
    ConversionRun run;
    if (options.workers > 0)
        run.SetWorkerCount(options.workers);
    run.SetStripMetadata(options.stripMetadata);
    // As in the window, where they start at the press and get the first files at once.
    run.StartWorkers();
    QElapsedTimer timer;
    timer.start();
    const RunReport report = RunToEnd(run, sources);
    seconds = double(timer.nsecsElapsed()) / 1e9;
    return report;
}

} // namespace

int RunConvertBench(const QStringList &args)
{
    Options options;
    if (!ParseOptions(args, options)) {
        std::fprintf(stderr,
                     "usage: quillmere-bench [--baseline] [--workers N] [--strip-metadata] DIR\n"
                     "       quillmere-bench --scan ANSWER DIR\n"
                     "       quillmere-bench --scan-tree N DIR\n");
        return 2;
    }
    const QStringList files = SourcesIn(options.dir);
    double seconds = 0;
    const RunReport report = TimedRun(files, options, seconds);
    // Only now are the workers gone, and their peaks counted.
    const double peakMb = PeakRssMb();

    for (const EntryResult &entry : report.entries) {
        const bool ok = entry.status == wire::Status::Ok;
        const QString shown =
            options.dir + QLatin1Char('/') + QFileInfo(QFile::decodeName(entry.source)).fileName();
        std::printf("%s\t%s\t%s\n", ok ? "ok" : "failed",
                    ok ? "" : qPrintable(ReasonText(entry.status)),
                    QFile::encodeName(shown).constData());
    }
    const double mpix = Megapixels(files);
    const int failed = report.FailedCount();
    PrintSummary("", int(files.size()), int(files.size()) - failed, seconds, mpix, peakMb);
    if (options.baseline)
        RunBaselines(files, mpix, seconds);
    return 0;
}
