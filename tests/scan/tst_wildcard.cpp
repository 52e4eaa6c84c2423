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

    // Extensions in either case, dots, "?" and "*.*" on real names are the folder scanner's
    // extension test; these are the edges no file name there reaches.
    const auto row = [](const char *tag, const QString &pattern, const QString &name, bool yes) {
        QTest::newRow(tag) << pattern << name << yes;
    };
    row("no stem", "*.psd", ".psd", true);
    row("'.*' ending, no dot", "a*.*", "abc", true);
    row("'.*' ending, wrong stem", "a*.*", "bcd", false);
    row("star needs going back", "*a*b.psd", "xaxab.psd", true);
    row("stars in a row", "**.p**d", "x.psd", true);
    row("empty name", "*.psd", "", false);
    row("empty pattern, empty name", "", "", true);
    // Quadratic at worst for a typed pattern, and still right.
    row("long name", "*a*a*a*b", QString(5000, QLatin1Char('a')), false);
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
