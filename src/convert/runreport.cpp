#include "runreport.h"

#include <algorithm>

int RunReport::FailedCount() const
{
    return int(std::count_if(entries.cbegin(), entries.cend(), [](const EntryResult &entry) {
        return entry.status != wire::Status::Ok;
    }));
}
