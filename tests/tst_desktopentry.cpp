#include <QtTest>

// The menu entry as the install writes it, as a file manager reads it.
class TestDesktopEntry : public QObject
{
    Q_OBJECT

private slots:
    void validAndOfferedForPhotoshopFiles();
};

void TestDesktopEntry::validAndOfferedForPhotoshopFiles()
{
    const QString entry = QStringLiteral(QUILLMERE_DESKTOP_ENTRY);
    QProcess validate;
    validate.setProcessChannelMode(QProcess::MergedChannels);
    validate.start(QStringLiteral("desktop-file-validate"), {entry});
    QVERIFY2(validate.waitForFinished(), "desktop-file-validate is missing: run scripts/setup.sh");
    // Warnings too: a file manager may ignore what the validator only warns about.
    QCOMPARE(validate.readAll(), QByteArray());
    QCOMPARE(validate.exitCode(), 0);

    // The validator has seen one group of key=value lines.
    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QMap<QByteArray, QByteArray> keys;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        keys.insert(line.left(line.indexOf('=')), line.mid(line.indexOf('=') + 1));
    }
    // The files a file manager hands over, any number of them, as local paths.
    QVERIFY(keys.value("Exec").endsWith(" %F"));
    const QList<QByteArray> types = keys.value("MimeType").split(';');
    QVERIFY(types.contains("image/vnd.adobe.photoshop"));
    // Older file managers still name the type by one of its aliases.
    QFile aliases(QStringLiteral("/usr/share/mime/aliases"));
    if (!aliases.open(QIODevice::ReadOnly))
        QSKIP("no shared MIME database here");
    while (!aliases.atEnd()) {
        const QList<QByteArray> pair = aliases.readLine().trimmed().split(' ');
        if (pair.size() == 2 && pair[1] == "image/vnd.adobe.photoshop")
            QVERIFY2(types.contains(pair[0]), pair[0].constData());
    }
}

QTEST_GUILESS_MAIN(TestDesktopEntry)
#include "tst_desktopentry.moc"
