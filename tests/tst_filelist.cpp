#include "filelist.h"

#include <QtTest>

class TestFileList : public QObject
{
    Q_OBJECT

private slots:
    void editsKeepOrderAndReferences();
};

void TestFileList::editsKeepOrderAndReferences()
{
    FileList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
    list.AppendPath("/b.psd");
    list.AppendPaths({"", "/a.psd", "/not a psd.txt", "/a.psd"});
    list.AppendPaths({});
    QCOMPARE(inserted.count(), 2);
    const QPersistentModelIndex second = list.EntryAt(2), third = list.EntryAt(3);
    // Selecting another entry drops the first; removing the selected one leaves none.
    list.SelectAt(1);
    list.SelectAt(2);
    list.RemoveAt(2);
    QVERIFY(!second.isValid() && !list.SelectedEntry().isValid());
    QCOMPARE(third, list.EntryAt(2));
    QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);
    list.SetTextAt(3, QStringLiteral("/b.psd"));
    QCOMPARE(changed.count(), 1);
    list.SelectAt(3);
    for (const int outside : {0, -1, 5}) {
        QVERIFY(list.TextAt(outside).isNull() && !list.EntryAt(outside).isValid());
        list.SetTextAt(outside, QStringLiteral("/x"));
        list.RemoveAt(outside);
        list.SelectAt(outside);
    }
    QCOMPARE(list.SelectedEntry(), list.EntryAt(3));
    QStringList texts;
    for (int i = 1; i <= list.Count(); ++i)
        texts << list.TextAt(i);
    QCOMPARE(texts, (QStringList{"/b.psd", "/a.psd", "/b.psd", "/a.psd"}));
}

QTEST_GUILESS_MAIN(TestFileList)
#include "tst_filelist.moc"
