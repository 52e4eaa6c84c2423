#include "worker/metadata/exivwatch.h"

#include <exiv2/exiv2.hpp>

namespace
{

int g_errors = 0;

void CountErrors(int level, const char *)
{
    if (level >= Exiv2::LogMsg::error)
        ++g_errors;
}

} // namespace

bool RunCleanly(const std::function<bool()> &step)
{
    Exiv2::LogMsg::setHandler(CountErrors);
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::warn);
    g_errors = 0;
    try {
        return step() && g_errors == 0;
    } catch (...) {
        return false;
    }
}
