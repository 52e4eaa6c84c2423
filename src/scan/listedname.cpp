#include "scan/listedname.h"

bool ListedName::Before(QStringView text, QByteArrayView bytes, QStringView otherText,
                        QByteArrayView otherBytes)
{
    const int folded = text.compare(otherText, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : bytes < otherBytes;
}
