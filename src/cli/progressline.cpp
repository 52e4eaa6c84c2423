#include "cli/progressline.h"

#include <cmath>

QString ProgressLine::Text(int done, int total, double seconds)
{
    const double percent = total > 0 ? 100.0 * done / total : 100.0;
    QString text = QStringLiteral("%1/%2 (%3 %)").arg(done).arg(total).arg(percent, 0, 'f', 1);
    if (done < 1 || seconds <= 0)
        return text;
    const double rate = done / seconds;
    text += QStringLiteral(", %1 files/s").arg(rate, 0, 'f', rate < 10 ? 2 : 1);
    if (done < total)
        text += QStringLiteral(", %1 left").arg(Duration((total - done) / rate));
    return text;
}

QString ProgressLine::Duration(double seconds)
{
    const qint64 whole = qint64(std::ceil(seconds));
    const qint64 hours = whole / 3600;
    const QString minutes = QStringLiteral("%1:%2")
                                .arg(whole / 60 % 60, hours > 0 ? 2 : 1, 10, QLatin1Char('0'))
                                .arg(whole % 60, 2, 10, QLatin1Char('0'));
    return hours > 0 ? QStringLiteral("%1:%2").arg(hours).arg(minutes) : minutes;
}
