#pragma once

#include <QElapsedTimer>

// What a folder scan needs of whoever runs it: the event loop while it yields, and a word to
// stop. The window, the command line and tests each answer it their own way.
class ScanControl
{
public:
    virtual ~ScanControl() = default;

    // True once the scan should end: it ends at its next yield and appends nothing more.
    // Whoever answers must stay in being until the scan has returned.
    virtual bool ScanShouldStop() const = 0;

    // Called at every yield point of the walk, which has one per directory entry. The default
    // lets the event loop run at most once in 10 ms: enough for painting and input, while a
    // call per entry would cost more than the walk itself.
    virtual void Yield();

private:
    QElapsedTimer m_sinceYield;
};
