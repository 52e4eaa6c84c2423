#include "shared/protocol/wireformat.h"

#include <QTest>

#include <string>

using namespace std::string_literals;

namespace
{

std::string U32(std::uint32_t value)
{
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(char((value >> shift) & 0xFF));
    return bytes;
}

// What a reader makes of a buffer: how many messages it takes before it stops, and why it
// stops ("waiting" for more bytes, or "malformed").
struct Reading {
    int taken = 0;
    bool malformed = false;
    std::size_t left = 0;
};

template <typename Take> Reading Read(std::string buffer, Take take)
{
    Reading reading;
    while (take(buffer, reading.malformed))
        ++reading.taken;
    reading.left = buffer.size();
    return reading;
}

} // namespace

Q_DECLARE_METATYPE(std::string)

class TestWireFormat : public QObject
{
    Q_OBJECT

private slots:
    void requestsKeepEveryByte();
    void everyCutWaits();
    void requests_data();
    void requests();
    void responses_data();
    void responses();
};

// Paths are bytes: a NUL, a line break or bytes that are not UTF-8 arrive as they left.
void TestWireFormat::requestsKeepEveryByte()
{
    const wire::Request sent{"/a/caf\xE9\n.psd"s, "/a/x\0y.jpg"s, {.stripMetadata = true}};
    std::string buffer = wire::EncodeRequest(sent) + wire::EncodeRequest({"", "/t"});
    bool malformed = false;
    const auto first = wire::TakeRequest(buffer, malformed);
    QVERIFY(first);
    QCOMPARE(first->source, sent.source);
    QCOMPARE(first->target, sent.target);
    QVERIFY(first->options.stripMetadata);
    const auto second = wire::TakeRequest(buffer, malformed);
    QVERIFY(second);
    QCOMPARE(second->target, "/t"s);
    QVERIFY(!second->options.stripMetadata);
    QVERIFY(buffer.empty());
}

// A pipe delivers a message in pieces: every prefix of one is incomplete, never malformed,
// and the reader leaves it in the buffer.
void TestWireFormat::everyCutWaits()
{
    const std::string request = wire::EncodeRequest({"/src.psd", "/dst.jpg"});
    const std::string response = wire::EncodeResponse({wire::Status::TooLarge, "detail"});
    for (std::size_t cut = 0; cut < request.size(); ++cut) {
        const Reading reading = Read(request.substr(0, cut), wire::TakeRequest);
        QVERIFY2(reading.taken == 0 && !reading.malformed && reading.left == cut,
                 qPrintable(QString::number(cut)));
    }
    for (std::size_t cut = 0; cut < response.size(); ++cut) {
        const Reading reading = Read(response.substr(0, cut), wire::TakeResponse);
        QVERIFY2(reading.taken == 0 && !reading.malformed && reading.left == cut,
                 qPrintable(QString::number(cut)));
    }
}

void TestWireFormat::requests_data()
{
    QTest::addColumn<std::string>("buffer");
    QTest::addColumn<int>("taken");
    QTest::addColumn<bool>("malformed");

    const std::string whole = wire::EncodeRequest({"/a.psd", "/a.jpg"});
    const std::string oneMiB(std::size_t(1) << 20, 'x');
    QTest::newRow("two whole, a third begun") << whole + whole + whole.substr(0, 7) << 2 << false;
    QTest::newRow("wrong tag") << "X"s + whole.substr(1) << 0 << true;
    QTest::newRow("garbage after a whole one") << whole + "\xFF"s << 1 << true;
    QTest::newRow("source of 1 MiB")
        << "C"s + U32(1u << 20) + oneMiB + U32(0) + "\0"s << 1 << false;
    // Both sides ship together: an option one of them does not know is a broken stream.
    QTest::newRow("unknown option") << whole.substr(0, whole.size() - 1) + "\x02"s << 0 << true;
    QTest::newRow("source over 1 MiB, before its bytes arrive")
        << "C"s + U32((1u << 20) + 1) << 0 << true;
    QTest::newRow("target length 4 GiB") << "C"s + U32(0) + U32(0xFFFFFFFF) << 0 << true;
}

// A stream that breaks the format is told apart from one that is merely slow, before any
// length it claims is believed.
void TestWireFormat::requests()
{
    QFETCH(std::string, buffer);
    QFETCH(int, taken);
    QFETCH(bool, malformed);
    const Reading reading = Read(buffer, wire::TakeRequest);
    QCOMPARE(reading.taken, taken);
    QCOMPARE(reading.malformed, malformed);
}

void TestWireFormat::responses_data()
{
    QTest::addColumn<std::string>("buffer");
    QTest::addColumn<int>("taken");
    QTest::addColumn<bool>("malformed");

    const auto response = [](int status) { return char(status) + U32(2) + "ok"; };
    QTest::newRow("every status a worker sends")
        << response(0) + response(1) + response(2) + response(3) + response(4) << 5 << false;
    // Only the app knows a worker crashed, timed out or was stopped.
    QTest::newRow("decoder stopped") << response(5) << 0 << true;
    QTest::newRow("not converted") << response(9) << 0 << true;
    QTest::newRow("unknown status") << response(0xFF) << 0 << true;
    QTest::newRow("detail over 1 MiB") << "\x01"s + U32((1u << 20) + 1) << 0 << true;
}

void TestWireFormat::responses()
{
    QFETCH(std::string, buffer);
    QFETCH(int, taken);
    QFETCH(bool, malformed);
    const Reading reading = Read(buffer, wire::TakeResponse);
    QCOMPARE(reading.taken, taken);
    QCOMPARE(reading.malformed, malformed);
}

QTEST_APPLESS_MAIN(TestWireFormat)
#include "tst_wireformat.moc"
