#include "conversionrun.h"

#include "closingmessage.h"
#include "filelist.h"
#include "targetpath.h"
#include "workerclient.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <functional>
#include <memory>
#include <vector>

int RunReport::FailedCount() const
{
    return int(std::count_if(entries.cbegin(), entries.cend(), [](const EntryResult &entry) {
        return entry.status != wire::Status::Ok;
    }));
}

ConversionRun::ConversionRun(RunWindow &window, const FileList &list, QObject *parent)
    : QObject(parent), m_window(window), m_list(list),
      m_workerProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/quillmere-worker"))
{
}

void ConversionRun::OnConvertClicked()
{
    if (m_running || m_window.ConvertButtonState() != 1)
        return;
    // Springing the button back notifies us again at once; that call finds it up.
    m_window.SetConvertButtonState(0);
    Run();
}

RunReport ConversionRun::Run()
{
    RunReport report;
    const int n = m_list.Count();
    if (n < 1) {
        m_window.ShowMessage(QStringLiteral("No files added."));
        return report;
    }
    m_running = true;
    m_stopRequested = false;
    report.entries.resize(n);
    for (int i = 0; i < n; ++i) {
        report.entries[i].source = m_list.TextAt(i + 1);
        report.entries[i].target = TargetPathOf(report.entries[i].source);
    }
    Convert(report);
    report.stopped = m_stopRequested;
    m_window.SetPointerShape(PointerShape::Default);
    m_window.SetProgressValue(0.0f);
    if (!report.stopped)
        m_window.ShowMessage(ClosingMessage(report));
    m_running = false;
    return report;
}

// Hands entries out in list order to whichever worker is free, and waits in a local event loop
// that leaves user input alone, so the window paints but the list cannot change.
void ConversionRun::Convert(RunReport &report)
{
    const int n = int(report.entries.size());
    std::vector<std::unique_ptr<WorkerClient>> workers;
    std::vector<int> entryOf; // the entry each worker holds, -1 when idle
    int next = 0;
    int inFlight = 0;
    QEventLoop loop;

    auto targetInHand = [&](const QString &target) {
        return std::any_of(entryOf.cbegin(), entryOf.cend(), [&](int held) {
            return held >= 0 && report.entries[held].target == target;
        });
    };
    std::function<void()> handOut;
    auto idleWorker = [&]() -> int {
        for (std::size_t w = 0; w < workers.size(); ++w)
            if (entryOf[w] < 0)
                return int(w);
        if (int(workers.size()) >= m_workerCount)
            return -1;
        auto worker = std::make_unique<WorkerClient>(m_workerProgram);
        const int w = int(workers.size());
        connect(worker.get(), &WorkerClient::Finished, &loop, [&, w](const wire::Response &r) {
            EntryResult &entry = report.entries[entryOf[w]];
            entry.status = r.status;
            entry.detail = QString::fromStdString(r.detail);
            entryOf[w] = -1;
            --inFlight;
            handOut();
        });
        workers.push_back(std::move(worker));
        entryOf.push_back(-1);
        return w;
    };
    handOut = [&] {
        while (!m_stopRequested && next < n) {
            EntryResult &entry = report.entries[next];
            // Two entries with one target never run together: the first in the list wins.
            const int w = entry.target.isEmpty() ? -1 : idleWorker();
            if (!entry.target.isEmpty() && (w < 0 || targetInHand(entry.target)))
                break;
            m_window.SetPointerShape(PointerShape::Busy);
            m_window.SetProgressValue(float(double(next + 1) / n * 100.0));
            if (entry.target.isEmpty()) {
                entry.status = wire::Status::Unreadable;
                entry.detail = QStringLiteral("its folder is gone");
            } else {
                entryOf[w] = next;
                ++inFlight;
                workers[w]->Convert(entry.source, entry.target);
            }
            ++next;
        }
        if (inFlight == 0)
            loop.quit();
    };
    handOut();
    if (inFlight > 0)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}
