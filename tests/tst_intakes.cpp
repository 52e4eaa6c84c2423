#include "dialogintake.h"
#include "dropintake.h"
#include "filechooser.h"
#include "filelist.h"

#include <QMimeData>
#include <QtTest>

namespace
{

class AnsweringChooser : public FileChooser
{
public:
    QStringList answer;
    QStringList asked;

    QStringList ChooseFiles(const QString &title, const QString &filter) override
    {
        asked << title << filter;
        return answer;
    }
};

std::unique_ptr<QMimeData> UrlData(const QList<QUrl> &urls)
{
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
}

} // namespace

class TestIntakes : public QObject
{
    Q_OBJECT

private slots:
    void dropAppendsLocalPathsInOrder_data();
    void dropAppendsLocalPathsInOrder();
    void dropRefusesDataWithoutLocalFiles_data();
    void dropRefusesDataWithoutLocalFiles();
    void dropTurnedOffForGood();
    void dialogAppendsInItsOrder_data();
    void dialogAppendsInItsOrder();
};

void TestIntakes::dropAppendsLocalPathsInOrder_data()
{
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<QStringList>("appended");
    const auto local = [](const char *path) { return QUrl::fromLocalFile(path); };
    QTest::newRow("three files") << QList<QUrl>{local("/p/c.psd"), local("/p/a.psd"),
                                                local("/p/b.jpg")}
                                 << QStringList{"/p/c.psd", "/p/a.psd", "/p/b.jpg"};
    QTest::newRow("a folder is one entry")
        << QList<QUrl>{local("/p/folder")} << QStringList{"/p/folder"};
    QTest::newRow("remote ones left out")
        << QList<QUrl>{QUrl("https://example.org/x.psd"), local("/p/my file #1.psd"),
                       QUrl("sftp://host/y.psd"), local("/p/ü.psd")}
        << QStringList{"/p/my file #1.psd", "/p/ü.psd"};
    QTest::newRow("this machine by name")
        << QList<QUrl>{QUrl("file://localhost/p/a.psd"), QUrl("file://elsewhere/p/b.psd")}
        << QStringList{"/p/a.psd"};
    QTest::newRow("already listed")
        << QList<QUrl>{local("/listed.psd")} << QStringList{"/listed.psd"};
}

void TestIntakes::dropAppendsLocalPathsInOrder()
{
    QFETCH(QList<QUrl>, urls);
    QFETCH(QStringList, appended);
    FileList list;
    list.AppendPath("/listed.psd");
    list.SelectAt(1);
    DropIntake intake(list);
    const auto data = UrlData(urls);
    QVERIFY(intake.Accepts(data.get()));
    QVERIFY(intake.Drop(data.get()));
    QCOMPARE(list.Paths(), QStringList{"/listed.psd"} + appended);
}

void TestIntakes::dropRefusesDataWithoutLocalFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("text") << "text";
    QTest::newRow("image") << "image";
    QTest::newRow("web links only") << "web";
    QTest::newRow("nothing") << "none";
}

void TestIntakes::dropRefusesDataWithoutLocalFiles()
{
    QFETCH(QString, kind);
    auto data = std::make_unique<QMimeData>();
    if (kind == "text")
        data->setText("/p/a.psd");
    if (kind == "image")
        data->setData("image/png", QByteArray("\x89PNG", 4));
    if (kind == "web")
        data->setUrls({QUrl("https://example.org/a.psd")});
    FileList list;
    DropIntake intake(list);
    QVERIFY(!intake.Accepts(data.get()));
    QVERIFY(!intake.Drop(data.get()));
    QVERIFY(!intake.Accepts(nullptr));
    QCOMPARE(list.Count(), 0);
}

void TestIntakes::dropTurnedOffForGood()
{
    FileList list;
    DropIntake intake(list);
    const auto data = UrlData({QUrl::fromLocalFile("/p/a.psd")});
    QVERIFY(intake.IsOn());
    intake.TurnOff();
    QVERIFY(!intake.Accepts(data.get()));
    QVERIFY(!intake.Drop(data.get()));
    QCOMPARE(list.Count(), 0);
}

void TestIntakes::dialogAppendsInItsOrder_data()
{
    QTest::addColumn<QStringList>("chosen");
    QTest::newRow("cancelled") << QStringList{};
    QTest::newRow("one") << QStringList{"/Art/cover.psd"};
    QTest::newRow("several, not sorted") << QStringList{"/Art/c.psd", "/Art/a.psd", "/b.psd"};
    QTest::newRow("already listed, typed name") << QStringList{"/listed.psd", "/Art/notes"};
}

void TestIntakes::dialogAppendsInItsOrder()
{
    QFETCH(QStringList, chosen);
    FileList list;
    list.AppendPath("/listed.psd");
    AnsweringChooser chooser;
    chooser.answer = chosen;
    DialogIntake(list, chooser).Run();
    QCOMPARE(list.Paths(), QStringList{"/listed.psd"} + chosen);
    QCOMPARE(chooser.asked,
             (QStringList{"Add File(s) - Hold Ctrl or Shift to select multiple files",
                          "Photoshop Files (*.psd)"}));
}

QTEST_GUILESS_MAIN(TestIntakes)
#include "tst_intakes.moc"
