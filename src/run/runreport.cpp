#include "run/runreport.h"

#include <algorithm>

bool Succeeded(wire::Status status)
{
    return status == wire::Status::Ok || status == wire::Status::UpToDate;
}

int RunReport::FailedCount() const
{
    return int(std::count_if(entries.cbegin(), entries.cend(),
                             [](const EntryResult &entry) { return !Succeeded(entry.status); }));
}

int RunReport::CountOf(wire::Status status) const
{
    return int(std::count_if(entries.cbegin(), entries.cend(), [status](const EntryResult &entry) {
        return entry.status == status;
    }));
}
