#include "wildcard.h"

#include <QtTest>

class TestWildcard : public QObject
{
    Q_OBJECT

private slots:
    void wildcard_data();
    void wildcard();
};

void TestWildcard::wildcard_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");
    QTest::newRow("star dot star, no dot") << "*.*"
                                           << "README" << true;
    QTest::newRow("star dot star, hidden") << "*.*"
                                           << ".bashrc" << true;
    QTest::newRow("trailing dot star, no dot") << "a.*"
                                               << "a" << true;
    QTest::newRow("trailing dot star, other stem") << "a.*"
                                                   << "b" << false;
    QTest::newRow("case ignored") << "*.psd"
                                  << "COVER.Psd" << true;
    QTest::newRow("non-ASCII case") << "*.ärger"
                                    << "x.ÄRGER" << true;
    QTest::newRow("extension only") << "*.psd"
                                    << ".psd" << true;
    QTest::newRow("wrong extension") << "*.psd"
                                     << "cover.psb" << false;
    QTest::newRow("longer extension") << "*.psd"
                                      << "cover.psdx" << false;
    QTest::newRow("question mark is one") << "*.ps?"
                                          << "a.ps" << false;
    QTest::newRow("star backtracks") << "*.psd"
                                     << "a.psd.psd" << true;
    QTest::newRow("two dots") << "*..psd"
                              << "cover.psd" << false;
    QTest::newRow("trailing dot star, dotted name") << "a.*"
                                                    << "a.b" << true;
}

void TestWildcard::wildcard()
{
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QFETCH(bool, matches);
    QCOMPARE(MatchesWildcard(pattern, name), matches);
}

QTEST_GUILESS_MAIN(TestWildcard)
#include "tst_wildcard.moc"
