#include "filelist.h"

#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

class TestFileList : public QObject
{
    Q_OBJECT

private slots:
    void modelContract();
    void appendKeepsOrderAndDuplicates();
    void appendManyIsOneInsertion();
    void removalShiftsPositions();
    void referencesDieWithTheirRows();
    void setTextShowsAtOnce();
    void positionsOutsideTheListAreHarmless_data();
    void positionsOutsideTheListAreHarmless();
    void selectionHoldsOneEntry();
    void header();

private:
    static QStringList Texts(const FileList &list);
};

QStringList TestFileList::Texts(const FileList &list)
{
    QStringList texts;
    for (int i = 1; i <= list.Count(); ++i)
        texts << list.TextAt(i);
    return texts;
}

void TestFileList::modelContract()
{
    FileList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    list.AppendPath(QStringLiteral("/a.psd"));
    list.AppendPaths({QStringLiteral("/b.psd"), QStringLiteral("/c.psd")});
    list.SetTextAt(2, QStringLiteral("/z.psd"));
    list.SelectAt(3);
    list.RemoveAt(1);
    list.RemoveAt(2);
    QCOMPARE(Texts(list), QStringList{QStringLiteral("/z.psd")});
}

void TestFileList::appendKeepsOrderAndDuplicates()
{
    FileList list;
    QCOMPARE(list.Count(), 0);
    const QStringList paths{"/b.psd", "", "/a.psd", "/not a psd.txt", "/a.psd"};
    for (const QString &path : paths)
        list.AppendPath(path);
    QCOMPARE(Texts(list), paths);
    QCOMPARE(list.Paths(), paths);
    QCOMPARE(list.data(list.index(4), Qt::DisplayRole).toString(), QStringLiteral("/a.psd"));
}

void TestFileList::appendManyIsOneInsertion()
{
    FileList list;
    list.AppendPath(QStringLiteral("/first"));
    QStringList many;
    for (int i = 0; i < 100000; ++i)
        many << QStringLiteral("/tree/%1.psd").arg(i);
    QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
    list.AppendPaths(many);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 1);
    QCOMPARE(inserted.at(0).at(2).toInt(), 100000);
    QCOMPARE(list.Count(), 100001);
    QCOMPARE(list.TextAt(100001), many.last());
    list.AppendPaths({});
    QCOMPARE(inserted.count(), 1);
}

void TestFileList::removalShiftsPositions()
{
    FileList list;
    list.AppendPaths({"/1", "/2", "/3", "/4"});
    list.RemoveAt(2);
    QCOMPARE(Texts(list), (QStringList{"/1", "/3", "/4"}));
}

void TestFileList::referencesDieWithTheirRows()
{
    FileList list;
    list.AppendPaths({"/1", "/2", "/3"});
    const QPersistentModelIndex second = list.EntryAt(2);
    const QPersistentModelIndex third = list.EntryAt(3);
    list.RemoveAt(2);
    QVERIFY(!second.isValid());
    QVERIFY(third.isValid());
    QCOMPARE(third.row() + 1, 2);
    QCOMPARE(third.data().toString(), QStringLiteral("/3"));
}

void TestFileList::setTextShowsAtOnce()
{
    FileList list;
    list.AppendPaths({"/1", "/2"});
    QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);
    list.SetTextAt(2, QStringLiteral("/1"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex().row(), 1);
    QCOMPARE(Texts(list), (QStringList{"/1", "/1"}));
}

void TestFileList::positionsOutsideTheListAreHarmless_data()
{
    QTest::addColumn<int>("position");
    QTest::newRow("zero") << 0;
    QTest::newRow("negative") << -1;
    QTest::newRow("past the end") << 3;
}

void TestFileList::positionsOutsideTheListAreHarmless()
{
    QFETCH(int, position);
    FileList list;
    list.AppendPaths({"/1", "/2"});
    list.SelectAt(1);
    QCOMPARE(list.TextAt(position), QString());
    QVERIFY(!list.EntryAt(position).isValid());
    list.SetTextAt(position, QStringLiteral("/x"));
    list.RemoveAt(position);
    list.SelectAt(position);
    QCOMPARE(Texts(list), (QStringList{"/1", "/2"}));
    QCOMPARE(list.SelectedEntry(), list.EntryAt(1));
}

void TestFileList::selectionHoldsOneEntry()
{
    FileList list;
    QVERIFY(!list.SelectedEntry().isValid());
    list.AppendPaths({"/1", "/2", "/3"});
    QVERIFY(!list.SelectedEntry().isValid());
    list.SelectAt(1);
    list.SelectAt(3);
    QCOMPARE(list.selectionModel()->selectedRows().size(), 1);
    QCOMPARE(list.SelectedEntry(), list.EntryAt(3));
    QCOMPARE(list.selectionModel()->currentIndex().row(), 2);
    list.RemoveAt(3);
    QVERIFY(!list.SelectedEntry().isValid());
}

void TestFileList::header()
{
    FileList list;
    QCOMPARE(list.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("PSD File(s)"));
}

QTEST_GUILESS_MAIN(TestFileList)
#include "tst_filelist.moc"
