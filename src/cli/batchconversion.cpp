#include "cli/batchconversion.h"

#include "cli/commandline.h"
#include "cli/progressline.h"
#include "run/closingmessage.h"
#include "run/conversionrun.h"
#include "run/runreport.h"
#include "scan/argumententries.h"
#include "scan/scancontrol.h"

#include <csignal>
#include <pthread.h>
#include <unistd.h>

namespace
{

volatile std::sig_atomic_t TerminateAsked = 0;

void AskTerminate(int)
{
    TerminateAsked = 1;
}

sigset_t Interrupt()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    return set;
}

// Ctrl-C once: taken, and the next one ends the program at once.
bool TakeInterrupt()
{
    const sigset_t interrupt = Interrupt();
    sigset_t pending;
    if (sigpending(&pending) != 0 || sigismember(&pending, SIGINT) != 1)
        return false;
    int taken = 0;
    sigwait(&interrupt, &taken);
    pthread_sigmask(SIG_UNBLOCK, &interrupt, nullptr);
    return true;
}

bool StopAsked()
{
    return TakeInterrupt() || TerminateAsked;
}

// A stop during the gathering ends it there, and nothing is converted.
class StoppableScan : public ScanControl
{
public:
    bool ScanShouldStop() const override { return m_stopped = m_stopped || StopAsked(); }

private:
    mutable bool m_stopped = false;
};

// Often enough for a clock to look alive, rarely enough to cost nothing.
constexpr int TickMs = 200;

} // namespace

void BatchConversion::HoldInterrupts()
{
    const sigset_t interrupt = Interrupt();
    pthread_sigmask(SIG_BLOCK, &interrupt, nullptr);
}

BatchConversion::BatchConversion(const CommandLine &line, std::FILE *out)
    : m_line(line), m_out(out), m_onTerminal(::isatty(::fileno(out)) == 1)
{
    m_ticker.setInterval(TickMs);
    connect(&m_ticker, &QTimer::timeout, this, &BatchConversion::DrawProgress);
}

int BatchConversion::Run()
{
    m_clock.start();
    std::signal(SIGTERM, AskTerminate);
    StoppableScan scan;
    // A search cut short found too little to say "nothing to convert".
    if (!GatherArguments(m_line.Paths(), m_line.Extension(), scan,
                         [this](const QByteArrayList &files) { m_sources += files; })) {
        Write("Stopped while gathering files: nothing converted.\n");
        return 1;
    }
    if (m_sources.isEmpty()) {
        Write("0 files: nothing to convert.\n");
        return 0;
    }
    const RunReport report = Convert();
    Write(Summary(report).toUtf8() + '\n');
    return report.FailedCount() == 0 ? 0 : 1;
}

RunReport BatchConversion::Convert()
{
    ConversionRun run;
    if (m_line.Jobs() > 0)
        run.SetWorkerCount(m_line.Jobs());
    run.SetStripMetadata(m_line.StripMetadata());
    connect(&run, &ConversionRun::EntryFinished, this,
            [this](int, const EntryResult &result) { OnEntryFinished(result); });
    connect(&m_ticker, &QTimer::timeout, &run, [&run] {
        if (StopAsked() && run.IsRunning())
            run.Cancel();
    });
    DrawProgress();
    m_ticker.start();
    const RunReport report = RunToEnd(run, m_sources);
    m_ticker.stop();
    ClearProgress();
    return report;
}

void BatchConversion::OnEntryFinished(const EntryResult &result)
{
    ++m_finished;
    if (result.status == wire::Status::Ok)
        return;
    ClearProgress();
    Write(FailureLine(result) + '\n');
    DrawProgress();
}

void BatchConversion::DrawProgress()
{
    if (!m_onTerminal)
        return;
    const QString text =
        ProgressLine::Text(m_finished, int(m_sources.size()), double(m_clock.nsecsElapsed()) / 1e9);
    // Back to the line's start, the new text, and away with what the old one left over.
    Write("\r" + text.toUtf8() + "\033[K");
    m_progressShown = true;
}

void BatchConversion::ClearProgress()
{
    if (m_progressShown)
        Write("\r\033[K");
    m_progressShown = false;
}

void BatchConversion::Write(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_out);
    std::fflush(m_out);
}

QString BatchConversion::Summary(const RunReport &report) const
{
    const int total = int(report.entries.size());
    const int failed = report.FailedCount();
    const int skipped = report.CountOf(wire::Status::NotConverted);
    const double seconds = double(m_clock.nsecsElapsed()) / 1e9;
    QString text = QStringLiteral("%1 %2: %3 converted")
                       .arg(total)
                       .arg(total == 1 ? QLatin1String("file") : QLatin1String("files"))
                       .arg(total - failed);
    if (failed > skipped)
        text += QStringLiteral(", %1 failed").arg(failed - skipped);
    if (skipped > 0)
        text += QStringLiteral(", %1 not converted (stopped)").arg(skipped);
    return text + QStringLiteral("; %1 s, %2 files/s")
                      .arg(seconds, 0, 'f', 1)
                      .arg(seconds > 0 ? total / seconds : 0.0, 0, 'f', 1);
}
