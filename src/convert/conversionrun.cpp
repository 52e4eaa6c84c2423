#include "conversionrun.h"

#include "closingmessage.h"
#include "filelist.h"
#include "targetpath.h"
#include "workerbudget.h"
#include "workerpool.h"

#include <QCoreApplication>
#include <QFile>

int RunReport::FailedCount() const
{
    return int(std::count_if(entries.cbegin(), entries.cend(), [](const EntryResult &entry) {
        return entry.status != wire::Status::Ok;
    }));
}

ConversionRun::ConversionRun(RunWindow &window, const FileList &list, QObject *parent)
    : QObject(parent), m_window(window), m_list(list),
      m_workerProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/quillmere-worker")),
      m_workerCount(UsableCores())
{
    StartWorkers();
}

ConversionRun::~ConversionRun() = default;

void ConversionRun::SetWorkerCount(int count)
{
    if (std::max(1, count) == m_workerCount)
        return;
    m_workerCount = std::max(1, count);
    StartWorkers();
}

void ConversionRun::SetWorkerProgram(const QString &program)
{
    if (program == m_workerProgram)
        return;
    m_workerProgram = program;
    StartWorkers();
}

void ConversionRun::StartWorkers()
{
    m_pool.reset();
    m_pool = std::make_unique<WorkerPool>(m_workerProgram, m_workerCount);
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
        report.entries[i].source = QFile::decodeName(m_list.PathAt(i));
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

void ConversionRun::Convert(RunReport &report)
{
    const int n = int(report.entries.size());
    m_pool->Run(
        report.entries,
        [&](int index) {
            // The bar shows the share of the entry now handed out.
            m_window.SetPointerShape(PointerShape::Busy);
            m_window.SetProgressValue(float(double(index + 1) / n * 100.0));
        },
        m_stopRequested, MemoryBudgetBytes());
}
