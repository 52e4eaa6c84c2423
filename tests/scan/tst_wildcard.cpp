#include "scan/wildcard.h"

#include <QTest>

class TestWildcard : public QObject
{
    Q_OBJECT

private slots:
    void matches_data();
    void matches();
};

void TestWildcard::matches_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");

    QTest::newRow("extension") << "*.psd"
                               << "cover.psd" << true;
    QTest::newRow("extension in another case") << "*.psd"
                                               << "COVER.PsD" << true;
    QTest::newRow("non-ASCII case") << "*.ÄPS"
                                    << "x.äps" << true;
    QTest::newRow("only the last dot is the extension") << "*.psd"
                                                        << "a.psd.bak" << false;
    QTest::newRow("dots before it") << "*.psd"
                                    << "logo.final.psd" << true;
    QTest::newRow("no stem") << "*.psd"
                             << ".psd" << true;
    QTest::newRow("longer extension") << "*.psd"
                                      << "a.psdx" << false;
    QTest::newRow("question mark is one character") << "*.ps?"
                                                    << "a.psb" << true;
    QTest::newRow("question mark is not none") << "*.psd?"
                                               << "a.psd" << false;
    QTest::newRow("every file") << "*.*"
                                << "a.psd" << true;
    QTest::newRow("every file, no dot") << "*.*"
                                        << "README" << true;
    QTest::newRow("'.*' ending, no dot") << "a*.*"
                                         << "abc" << true;
    QTest::newRow("'.*' ending, wrong stem") << "a*.*"
                                             << "bcd" << false;
    QTest::newRow("star needs going back") << "*a*b.psd"
                                           << "xaxab.psd" << true;
    QTest::newRow("stars in a row") << "**.p**d"
                                    << "x.psd" << true;
    QTest::newRow("empty name") << "*.psd"
                                << "" << false;
    QTest::newRow("empty pattern, empty name") << ""
                                               << "" << true;
    // Quadratic at worst for a typed pattern, and still right.
    QTest::newRow("long name") << "*a*a*a*b" << QString(5000, QLatin1Char('a')) << false;
}

void TestWildcard::matches()
{
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QFETCH(bool, matches);
    QCOMPARE(MatchesWildcard(pattern, name), matches);
}

QTEST_APPLESS_MAIN(TestWildcard)
#include "tst_wildcard.moc"
