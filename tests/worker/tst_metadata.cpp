#include "run/conversionrun.h"
#include "support/batch.h"
#include "support/psdwriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace
{

constexpr int Width = 24;
constexpr int Height = 16;
const QString Absent; // a tag the JPEG file must not have

QByteArray Big(quint32 value, int bytes)
{
    QByteArray out;
    for (int i = bytes - 1; i >= 0; --i)
        out += char((value >> (8 * i)) & 0xFF);
    return out;
}

// ResolutionInfo: pixels per inch in 16.16 fixed point, the unit shown, the same for height.
QByteArray ResolutionInfo(quint32 pixelsPerInch, int unit)
{
    const QByteArray one = Big(pixelsPerInch << 16, 4) + Big(unit, 2) + Big(unit, 2);
    return one + one;
}

// A TIFF directory at `at`: entries of tag, type, count and big-endian value, a value longer
// than four bytes placed after the directory.
struct Entry {
    int tag;
    int type; // 2 ASCII, 3 SHORT, 4 LONG
    QByteArray value;
};

QByteArray Ifd(const QList<Entry> &entries, quint32 at, quint32 next)
{
    QByteArray head = Big(quint32(entries.size()), 2);
    QByteArray data;
    const quint32 dataAt = at + 6 + 12 * quint32(entries.size());
    for (const Entry &e : entries) {
        const int unit = e.type == 3 ? 2 : e.type == 4 ? 4 : 1;
        head += Big(e.tag, 2) + Big(e.type, 2) + Big(quint32(e.value.size() / unit), 4);
        if (e.value.size() <= 4) {
            head += e.value.leftJustified(4, '\0');
            continue;
        }
        head += Big(dataAt + quint32(data.size()), 4);
        data += e.value + QByteArray(e.value.size() % 2, '\0');
    }
    return head + Big(next, 4) + data;
}

// Big-endian EXIF as Photoshop keeps it: turned a quarter (orientation 6), a copyright, a
// capture date, a pixel size of some older state, and a thumbnail.
QByteArray Exif()
{
    const auto ifd0 = [](quint32 exifAt) {
        return QList<Entry>{
            {274, 3, Big(6, 2)}, {33432, 2, QByteArray("Jane Doe", 9)}, {34665, 4, Big(exifAt, 4)}};
    };
    const QList<Entry> exif{{36867, 2, QByteArray("2020:01:02 03:04:05", 20)},
                            {40962, 4, Big(9999, 4)}};
    const quint32 exifAt = 8 + quint32(Ifd(ifd0(0), 8, 0).size());
    const QByteArray exifIfd = Ifd(exif, exifAt, 0);
    const quint32 ifd1At = exifAt + quint32(exifIfd.size());
    const QByteArray thumbnail("\xFF\xD8\xFF\xD9", 4);
    const quint32 thumbnailAt = ifd1At + 2 + 2 * 12 + 4;
    const QByteArray ifd1 = Ifd({{513, 4, Big(thumbnailAt, 4)}, {514, 4, Big(4, 4)}}, ifd1At, 0);
    return QByteArray("MM\0*", 4) + Big(8, 4) + Ifd(ifd0(exifAt), 8, ifd1At) + exifIfd + ifd1 +
           thumbnail;
}

QByteArray IptcRecord(int dataset, const QByteArray &value)
{
    return QByteArray("\x1C\x02", 2) + char(dataset) + Big(quint32(value.size()), 2) + value;
}

QByteArray Iptc()
{
    return IptcRecord(0, QByteArray("\0\4", 2)) + IptcRecord(120, "A caption") +
           IptcRecord(116, "Jane Doe");
}

// A packet turned a quarter, with `ancestors` documents of history and a description of
// `description` bytes.
QByteArray Xmp(int ancestors, int description)
{
    QByteArray history;
    for (int i = 0; i < ancestors; ++i)
        history += "<rdf:li>xmp.did:" + QByteArray::number(i).rightJustified(32, '0') + "</rdf:li>";
    const QByteArray described = description == 0
                                     ? QByteArray()
                                     : "<dc:description><rdf:Alt><rdf:li xml:lang=\"x-default\">" +
                                           QByteArray(description, 'w') +
                                           "</rdf:li></rdf:Alt></dc:description>";
    return "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>"
           "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
           "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description "
           "rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
           "xmlns:photoshop=\"http://ns.adobe.com/photoshop/1.0/\" "
           "xmlns:tiff=\"http://ns.adobe.com/tiff/1.0/\" tiff:Orientation=\"6\">"
           "<dc:creator><rdf:Seq><rdf:li>Jane Doe</rdf:li></rdf:Seq></dc:creator>" +
           described + "<photoshop:DocumentAncestors><rdf:Bag>" + history +
           "</rdf:Bag></photoshop:DocumentAncestors></rdf:Description></rdf:RDF></x:xmpmeta>"
           "<?xpacket end=\"w\"?>";
}

using Resources = QList<std::pair<quint16, QByteArray>>;

QByteArray Document(const Resources &resources, bool psb = false)
{
    PsdWriter writer(Width, Height, PsdWriter::Rgb,
                     [](int x, int y, int c) { return quint16((x * 40 + y * 25 + c * 70) * 257); });
    for (const auto &[id, data] : resources)
        writer.AddResource(id, data);
    return writer.SetLargeFormat(psb).Bytes();
}

// Every tag exiftool finds, by group and name, with its validation of the file.
QJsonObject TagsOf(const QString &jpeg)
{
    QProcess exiftool;
    exiftool.start("exiftool", {"-j", "-a", "-G1", "-n", "-all", "-validate", "-warning", jpeg});
    if (!exiftool.waitForFinished(60000))
        return {};
    return QJsonDocument::fromJson(exiftool.readAllStandardOutput()).array().at(0).toObject();
}

} // namespace

class TestMetadata : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void travels_data();
    void travels();
};

void TestMetadata::initTestCase()
{
    if (QStandardPaths::findExecutable("exiftool").isEmpty())
        QSKIP("exiftool is not installed (libimage-exiftool-perl)");
}

void TestMetadata::travels_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<bool>("strip");
    QTest::addColumn<QVariantMap>("expected");
    QTest::addColumn<QString>("leftOut");

    const QByteArray perInch = ResolutionInfo(300, 1);
    const QByteArray profile = SystemProfile("srgb.icc");
    const QVariantMap everything{{"JFIF:ResolutionUnit", 1},
                                 {"JFIF:XResolution", 300},
                                 {"IFD0:ResolutionUnit", 2},
                                 {"IFD0:XResolution", 300},
                                 {"IFD0:Orientation", 1},
                                 {"IFD0:Copyright", "Jane Doe"},
                                 {"ExifIFD:ExifImageWidth", Width},
                                 {"ExifIFD:DateTimeOriginal", "2020:01:02 03:04:05"},
                                 {"IFD1:ThumbnailLength", Absent},
                                 {"IPTC:Caption-Abstract", "A caption"},
                                 {"XMP-dc:Creator", "Jane Doe"},
                                 {"XMP-tiff:Orientation", 1},
                                 {"XMP-exif:ExifImageWidth", Width},
                                 {"XMP-photoshop:DocumentAncestors", Absent},
                                 {"ICC_Profile:ProfileDescription", Absent}};
    const Resources all{{1005, perInch}, {1028, Iptc()}, {1058, Exif()}, {1060, Xmp(3, 0)}};
    QTest::newRow("each block") << Document(all) << false << everything << "";
    QTest::newRow("each block in a PSB") << Document(all, true) << false << everything << "";
    QTest::newRow("none of it when stripped")
        << Document(all + Resources{{1039, profile}}) << true
        << QVariantMap{{"JFIF:ResolutionUnit", 0},
                       {"IFD0:Orientation", Absent},
                       {"IPTC:Caption-Abstract", Absent},
                       {"XMP-dc:Creator", Absent},
                       {"ICC_Profile:ProfileDescription", Absent}}
        << "";
    QTest::newRow("per centimetre in JFIF and EXIF alike")
        << Document({{1005, ResolutionInfo(300, 2)}, {1058, Exif()}}) << false
        << QVariantMap{{"JFIF:ResolutionUnit", 2},
                       {"JFIF:XResolution", 118},
                       {"IFD0:ResolutionUnit", 3},
                       {"IFD0:XResolution", 118}}
        << "";
    QTest::newRow("2 MB of ancestors left behind")
        << Document({{1060, Xmp(30000, 0)}}) << false
        << QVariantMap{{"XMP-dc:Creator", "Jane Doe"},
                       {"XMP-photoshop:DocumentAncestors", Absent},
                       {"XMP-xmpNote:HasExtendedXMP", Absent}}
        << "";
    QTest::newRow("a description past one segment as extended XMP")
        << Document({{1060, Xmp(30000, 200000)}}) << false
        << QVariantMap{{"XMP-dc:Creator", "Jane Doe"},
                       {"XMP-dc:Description", QString(200000, 'w')},
                       {"XMP-photoshop:DocumentAncestors", Absent}}
        << "";
    QTest::newRow("broken EXIF left out, the rest kept")
        << Document({{1058, "MM\0*garbage"}, {1028, Iptc()}}) << false
        << QVariantMap{{"IFD0:Orientation", Absent}, {"IPTC:Caption-Abstract", "A caption"}}
        << "EXIF left out: damaged";
    QTest::newRow("broken XMP left out")
        << Document({{1060, "<x:xmpmeta><rdf:RDF"}}) << false
        << QVariantMap{{"XMP-x:XMPToolkit", Absent}} << "XMP left out: damaged";
    if (!profile.isEmpty())
        QTest::newRow("sRGB tagged where the document's profile was used")
            << Document({{1039, profile}, {1058, Exif()}}) << false
            << QVariantMap{{"ICC_Profile:ProfileDescription", "sRGB built-in"},
                           {"ExifIFD:ColorSpace", 1},
                           {"JFIF:XResolution", 72},
                           {"IFD0:XResolution", 72}}
            << "";
    QTest::newRow("untagged where the colour step ignored a damaged profile")
        << Document({{1039, "not a profile"}}) << false
        << QVariantMap{{"ICC_Profile:ProfileDescription", Absent}} << "";
}

// The JPEG file says what the document said, true for itself, and exiftool finds nothing
// wrong in it: no digest mismatch, no tag out of place.
void TestMetadata::travels()
{
    QFETCH(QByteArray, document);
    QFETCH(bool, strip);
    QFETCH(QVariantMap, expected);
    QFETCH(QString, leftOut);

    Batch batch;
    batch.Add({{"poster.psd", document}});
    batch.run.SetStripMetadata(strip);
    const RunReport report = batch.Convert(1);
    QCOMPARE(report.entries.size(), 1);
    QCOMPARE(report.entries[0].status, wire::Status::Ok);
    if (leftOut.isEmpty())
        QVERIFY2(!report.entries[0].detail.contains("left out"),
                 qPrintable(report.entries[0].detail));
    else
        QVERIFY2(report.entries[0].detail.contains(leftOut), qPrintable(report.entries[0].detail));

    const QJsonObject tags = TagsOf(batch.dir.filePath("poster.jpg"));
    QCOMPARE(tags.value("ExifTool:Validate").toVariant().toString(), QString("0 0 0"));
    QCOMPARE(tags.value("Photoshop:IPTCDigest"), tags.value("File:CurrentIPTCDigest"));
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QJsonValue found = tags.value(it.key());
        const QString shown = found.isUndefined() ? Absent : found.toVariant().toString();
        QVERIFY2(shown == it.value().toString(),
                 qPrintable(it.key() + ": " + shown.left(80) + " instead of " +
                            it.value().toString().left(80)));
    }
}

QTEST_GUILESS_MAIN(TestMetadata)
#include "tst_metadata.moc"
