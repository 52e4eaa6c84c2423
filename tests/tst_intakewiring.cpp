#include "recordedwindow.h"

#include <QTemporaryDir>

class TestIntakeWiring : public QObject
{
    Q_OBJECT

private slots:
    void commandsWhileAScanYields_data();
    void commandsWhileAScanYields();
};

void TestIntakeWiring::commandsWhileAScanYields_data()
{
    QTest::addColumn<bool>("close");
    QTest::newRow("conversion") << false;
    QTest::newRow("close") << true;
}

void TestIntakeWiring::commandsWhileAScanYields()
{
    QFETCH(bool, close);
    QTemporaryDir root;
    QStringList tree{"a.psd", "B/b.psd", "C/c.PSD", "B/B1/d.psd", "x.txt", "~t.psd"};
    for (QString &file : tree) {
        file = root.filePath(file);
        QVERIFY(QDir().mkpath(QFileInfo(file).path()) && QFile(file).open(QIODevice::WriteOnly));
    }
    RecordedWindow window;
    window.form->list().AppendPaths({QFile::encodeName(tree[0])});
    window.typedText = "psd";
    window.chosenFolder = root.path();
    // Arrives at the walk's first yield, as a person's command would.
    bool busyMeanwhile = false;
    const auto command = [&] {
        if (close)
            window.form->close();
        else
            QTest::mouseClick(window.Control("convert"), Qt::LeftButton); // an empty, damaged file
        busyMeanwhile = QGuiApplication::overrideCursor() != nullptr;
    };
    QMetaObject::invokeMethod(window.form.get(), command, Qt::QueuedConnection);
    QTest::mouseClick(window.Control("addFolder"), Qt::LeftButton);
    QTRY_COMPARE(window.shown.size(), close ? 2 : 3); // a message only from the conversion
    QCOMPARE(window.shown[1], "folder|Please select folder to add:");
    // A close ends the scan and then the window; a conversion leaves the scan to go on.
    QCOMPARE(window.form->isVisible(), !close);
    QByteArrayList expected;
    for (const QString &path : QStringList{tree[0]} + tree.mid(0, close ? 0 : 4))
        expected << QFile::encodeName(path);
    QCOMPARE(window.form->list().Paths(), expected);
    QVERIFY(busyMeanwhile);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

QTEST_MAIN(TestIntakeWiring)
#include "tst_intakewiring.moc"
