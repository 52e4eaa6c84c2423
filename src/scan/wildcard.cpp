#include "scan/wildcard.h"

namespace
{

bool SameIgnoringCase(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

// Greedy, going back only to the last "*": linear for the patterns people type.
bool MatchesWhole(QStringView pattern, QStringView name)
{
    const QChar star = QLatin1Char('*');
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype lastStar = -1;
    qsizetype resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == star) {
            lastStar = p++;
            resumeAt = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == QLatin1Char('?') || SameIgnoringCase(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (lastStar >= 0) {
            p = lastStar + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == star)
        ++p;
    return p == pattern.size();
}

} // namespace

bool MatchesWildcard(const QString &pattern, QStringView name)
{
    if (MatchesWhole(pattern, name))
        return true;
    const QLatin1String anyExtension(".*");
    return pattern.endsWith(anyExtension) && !name.contains(QLatin1Char('.')) &&
           MatchesWhole(QStringView(pattern).chopped(anyExtension.size()), name);
}
