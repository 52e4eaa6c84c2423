#include "run/closingmessage.h"

#include "run/runreport.h"

#include <QStringList>

namespace
{

// A message box taller than the screen helps nobody: name this many, count the rest.
constexpr int MaxNamed = 10;
// The worker's word on a failure is a hint, not a report.
constexpr int MaxDetail = 60;

QString Brief(QString detail)
{
    detail = detail.section(QLatin1Char('\n'), 0, 0).trimmed();
    if (detail.size() > MaxDetail)
        detail = detail.left(MaxDetail - 1) + QChar(0x2026);
    return detail.isEmpty() ? detail : QStringLiteral(" (%1)").arg(detail);
}

// A line for each failed entry, up to limit of them.
QStringList FailureLines(const RunReport &report, int limit)
{
    QStringList lines;
    for (const EntryResult &entry : report.entries) {
        if (lines.size() == limit)
            break;
        if (!Succeeded(entry.status))
            lines << QString::fromUtf8(FailureLine(entry));
    }
    return lines;
}

} // namespace

QString ReasonText(wire::Status status)
{
    switch (status) {
    case wire::Status::Ok:
        break;
    case wire::Status::Unreadable:
        return QStringLiteral("could not be read or decoded");
    case wire::Status::AlreadyExists:
        return QStringLiteral("already exists");
    case wire::Status::Unwritable:
        return QStringLiteral("could not be written");
    case wire::Status::UpToDate:
        return QStringLiteral("up to date");
    case wire::Status::TooLarge:
        return QStringLiteral("too large");
    case wire::Status::DecoderStopped:
        return QStringLiteral("damaged file stopped the decoder");
    case wire::Status::TimedOut:
        return QStringLiteral("took too long");
    case wire::Status::ConverterStopped:
        return QStringLiteral("converter was stopped");
    case wire::Status::ConverterMissing:
        return QStringLiteral("converter is missing or cannot start (reinstall)");
    case wire::Status::NotConverted:
        return QStringLiteral("not converted, the run was stopped");
    }
    return QString();
}

QByteArray FailureLine(const EntryResult &entry)
{
    // A line break inside a name would read as two entries.
    QByteArray source = entry.source;
    source.replace('\n', "\\n");
    return source + ": " + (ReasonText(entry.status) + Brief(entry.detail)).toUtf8();
}

QString ClosingMessage(const RunReport &report)
{
    const int failed = report.FailedCount();
    QString text = QStringLiteral("Done.");
    if (failed == 0)
        return text;
    text += QStringLiteral("\n\n%1 of %2 files could not be converted:")
                .arg(failed)
                .arg(report.entries.size());
    text += QLatin1Char('\n') + FailureLines(report, MaxNamed).join(QLatin1Char('\n'));
    if (failed > MaxNamed)
        text += QStringLiteral("\nand %1 more").arg(failed - MaxNamed);
    return text;
}

QString ClosingDetails(const RunReport &report)
{
    const QStringList lines = FailureLines(report, int(report.entries.size()));
    return lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
