#pragma once

// What a folder scan asks of whoever runs it: whether to stop. The scanner's thread, the
// command line and tests each answer it their own way.
class ScanControl
{
public:
    virtual ~ScanControl() = default;

    // True once the scan should end: it ends at its next check and passes on nothing more.
    // The walk checks once per folder and once per entry of a folder it lists for subfolders.
    // Whoever answers must stay in being until the scan has returned.
    virtual bool ScanShouldStop() const = 0;
};
