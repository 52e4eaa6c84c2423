#include "filelist.h"

#include <QtTest>

class TestFileList : public QObject
{
    Q_OBJECT

private slots:
    void bytesStayAsGiven();
    void rowOperations_data();
    void rowOperations();
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
}

void TestFileList::rowOperations_data()
{
    // "m1>3" moves one row from 1 to before 3; "r1x2" removes two rows from 1.
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("done");
    QTest::addColumn<QString>("after");
    QTest::newRow("down") << "m1x1>3" << true << "acbd";
    QTest::newRow("up") << "m3x1>0" << true << "dabc";
    QTest::newRow("two to the end") << "m0x2>4" << true << "cdab";
    QTest::newRow("onto itself") << "m1x1>2" << false << "abcd";
    QTest::newRow("past the end") << "m1x1>5" << false << "abcd";
    QTest::newRow("remove two") << "r1x2" << true << "ad";
    QTest::newRow("remove past the end") << "r3x2" << false << "abcd";
    QTest::newRow("remove before the start") << "r-1x1" << false << "abcd";
}

void TestFileList::rowOperations()
{
    QFETCH(QString, operation);
    QFETCH(bool, done);
    QFETCH(QString, after);
    FileList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    list.AppendPaths(QByteArrayList{"a", "b", "c", "d"});
    const QPersistentModelIndex b = list.index(1);
    const QStringList numbers = operation.mid(1).split(QRegularExpression("[x>]"));
    const int row = numbers[0].toInt(), count = numbers[1].toInt();
    const bool result = operation[0] == 'm' ? list.moveRows(QModelIndex(), row, count,
                                                            QModelIndex(), numbers[2].toInt())
                                            : list.removeRows(row, count);
    QCOMPARE(result, done);
    QCOMPARE(list.Paths().join(), after.toLatin1());
    // A reference follows its entry and dies with it.
    QCOMPARE(b.isValid() ? list.PathAt(b.row()) : QByteArray(), after.contains('b') ? "b" : "");
}

QTEST_GUILESS_MAIN(TestFileList)
#include "tst_filelist.moc"
