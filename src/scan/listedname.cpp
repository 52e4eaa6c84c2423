#include "scan/listedname.h"

bool ListedName::operator<(const ListedName &other) const
{
    const int folded = m_text.compare(other.m_text, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : m_bytes < other.m_bytes;
}
