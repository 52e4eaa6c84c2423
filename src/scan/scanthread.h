#pragma once

#include <QThread>

class FolderScanner;

// A folder scanner on a thread of its own, for as long as this is in being. Going, it stops the
// scanner and waits for the thread, which the stop ends at the scan's next check.
class ScanThread
{
public:
    ScanThread();
    ~ScanThread();
    ScanThread(const ScanThread &) = delete;
    ScanThread &operator=(const ScanThread &) = delete;

    FolderScanner &Scanner() const { return *m_scanner; }

private:
    QThread m_thread;
    // Deleted on its own thread as the thread finishes.
    FolderScanner *m_scanner;
};
