#include "scan/scanthread.h"

#include "scan/folderscanner.h"

ScanThread::ScanThread() : m_scanner(new FolderScanner)
{
    m_thread.setObjectName(QStringLiteral("folder scan"));
    m_scanner->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_scanner, &QObject::deleteLater);
    m_thread.start();
}

ScanThread::~ScanThread()
{
    m_scanner->Stop();
    m_thread.quit();
    m_thread.wait();
}
