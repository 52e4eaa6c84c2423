#include "run/runreport.h"

#include <algorithm>

int RunReport::FailedCount() const
{
    return int(entries.size()) - CountOf(wire::Status::Ok);
}

int RunReport::CountOf(wire::Status status) const
{
    return int(std::count_if(entries.cbegin(), entries.cend(), [status](const EntryResult &entry) {
        return entry.status == status;
    }));
}
