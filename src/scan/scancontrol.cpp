#include "scan/scancontrol.h"

#include <QCoreApplication>

void ScanControl::Yield()
{
    constexpr qint64 IntervalMs = 10;
    if (m_sinceYield.isValid() && m_sinceYield.elapsed() < IntervalMs)
        return;
    QCoreApplication::processEvents();
    m_sinceYield.start();
}
