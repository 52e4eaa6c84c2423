#include "filelist.h"

#include <QtTest>

class TestFileList : public QObject
{
    Q_OBJECT

private slots:
    void bytesStayAsGiven();
};

void TestFileList::bytesStayAsGiven()
{
    FileList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
    // Two Latin-1 names that read alike once their invalid bytes are replaced.
    const QByteArrayList paths{"/caf\xe9.psd", "/caf\xe8.psd", "", "/a.psd", "/a.psd"};
    list.AppendPaths(paths);
    list.AppendPaths(QByteArrayList());
    list.AppendPaths({QByteArray("/ü.psd")});
    QCOMPARE(inserted.count(), 2);
    QCOMPARE(list.Paths(), paths + QByteArrayList{"/\xc3\xbc.psd"});
    QCOMPARE(list.PathAt(1), QByteArray("/caf\xe8.psd"));
    QVERIFY(list.PathAt(-1).isEmpty() && list.PathAt(6).isEmpty());
    QCOMPARE(list.data(list.index(0), Qt::DisplayRole).toString(),
             QString::fromUtf8("/caf\ufffd.psd"));
    QCOMPARE(list.data(list.index(5), Qt::DisplayRole).toString(), QString::fromUtf8("/ü.psd"));
    // The view's drag and double-click use the model's own row operations; moves and removals
    // that name rows outside the list are refused.
    QVERIFY(list.moveRow(QModelIndex(), 5, QModelIndex(), 0) && list.removeRows(1, 2));
    QVERIFY(!list.moveRow(QModelIndex(), 0, QModelIndex(), 7) && !list.removeRows(3, 2));
    QCOMPARE(list.Paths(), (QByteArrayList{"/\xc3\xbc.psd", "", "/a.psd", "/a.psd"}));
}

QTEST_GUILESS_MAIN(TestFileList)
#include "tst_filelist.moc"
