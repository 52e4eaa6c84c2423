#include "commandline.h"
#include "progressline.h"

#include <QtTest>

// The command line's parts that need no run; the program itself is checked in tst_convertcli.
class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void arguments_data();
    void arguments();
    void progressText_data();
    void progressText();
};

using Action = CommandLine::Action;

void TestCommandLine::arguments_data()
{
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<Action>("action");
    QTest::addColumn<int>("jobs");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QByteArrayList>("paths");
    const QByteArrayList two{"caf\xe9.psd", "dossier\xe9"};
    QTest::newRow("paths only") << two << Action::Convert << 0 << "psd" << two;
    QTest::newRow("options around paths")
        << QByteArrayList{"caf\xe9.psd", "--jobs", "3", "dossier\xe9", "--extension=PSB"}
        << Action::Convert << 3 << "PSB" << two;
    QTest::newRow("after --, a path")
        << QByteArrayList{"--extension", "*", "--", "--jobs", "-"} << Action::Convert << 0 << "*"
        << QByteArrayList{"--jobs", "-"};
    QTest::newRow("unknown option first") << QByteArrayList{"--bogus", "--help"}
                                          << Action::UsageError << 0 << "psd" << QByteArrayList();
    QTest::newRow("help") << QByteArrayList{"a.psd", "-h"} << Action::Help << 0 << "psd"
                          << QByteArrayList{"a.psd"};
    QTest::newRow("version") << QByteArrayList{"--version"} << Action::Version << 0 << "psd"
                             << QByteArrayList();
    QTest::newRow("no path") << QByteArrayList{"--jobs", "2"} << Action::UsageError << 2 << "psd"
                             << QByteArrayList();
    QTest::newRow("no jobs") << QByteArrayList{"--jobs", "0", "a.psd"} << Action::UsageError << 0
                             << "psd" << QByteArrayList();
    QTest::newRow("jobs not a number") << QByteArrayList{"a.psd", "--jobs=x"} << Action::UsageError
                                       << 0 << "psd" << QByteArrayList{"a.psd"};
    QTest::newRow("value missing") << QByteArrayList{"a.psd", "--extension"} << Action::UsageError
                                   << 0 << "psd" << QByteArrayList{"a.psd"};
    QTest::newRow("unknown option")
        << QByteArrayList{"-x", "a.psd"} << Action::UsageError << 0 << "psd" << QByteArrayList();
}

void TestCommandLine::arguments()
{
    QFETCH(QByteArrayList, arguments);
    QFETCH(Action, action);
    QFETCH(int, jobs);
    QFETCH(QString, extension);
    QFETCH(QByteArrayList, paths);
    const CommandLine line(arguments);
    QCOMPARE(line.Requested(), action);
    QCOMPARE(line.Error().isEmpty(), action != Action::UsageError);
    QCOMPARE(line.Jobs(), jobs);
    QCOMPARE(line.Extension(), extension);
    QCOMPARE(line.Paths(), paths);
}

void TestCommandLine::progressText_data()
{
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("total");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing finished yet") << 0 << 1000 << 2.0 << "0/1000 (0.0 %)";
    QTest::newRow("slow") << 1 << 3 << 4.0 << "1/3 (33.3 %), 0.25 files/s, 0:08 left";
    QTest::newRow("fast") << 37 << 1000 << 3.0 << "37/1000 (3.7 %), 12.3 files/s, 1:19 left";
    QTest::newRow("hours left") << 1 << 10000 << 1.0
                                << "1/10000 (0.0 %), 1.00 files/s, 2:46:39 left";
    QTest::newRow("all done") << 8 << 8 << 2.0 << "8/8 (100.0 %), 4.00 files/s";
}

void TestCommandLine::progressText()
{
    QFETCH(int, done);
    QFETCH(int, total);
    QFETCH(double, seconds);
    QFETCH(QString, text);
    QCOMPARE(ProgressLine::Text(done, total, seconds), text);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
