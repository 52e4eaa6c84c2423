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

} // namespace

Q_DECLARE_METATYPE(std::string)

class TestWireFormat : public QObject
{
    Q_OBJECT

private slots:
    void requestsKeepEveryByte();
    void reads_data();
    void reads();
};

// Paths are bytes: a NUL, a line break or bytes that are not UTF-8 arrive as they left.
void TestWireFormat::requestsKeepEveryByte()
{
    const wire::Request sent{"/a/caf\xE9\n.psd"s, "/a/x\0y.jpg"s, {true, true, 40}};
    std::string buffer = wire::EncodeRequest(sent) + wire::EncodeRequest({"", "/t"});
    bool malformed = false;
    const auto first = wire::TakeRequest(buffer, malformed);
    QVERIFY(first);
    QCOMPARE(first->source, sent.source);
    QCOMPARE(first->target, sent.target);
    QVERIFY(first->options.stripMetadata && first->options.update);
    QCOMPARE(first->options.quality, 40);
    const auto second = wire::TakeRequest(buffer, malformed);
    QVERIFY(second);
    QCOMPARE(second->target, "/t"s);
    QVERIFY(!second->options.stripMetadata && !second->options.update);
    QCOMPARE(second->options.quality, wire::DefaultQuality);
    QVERIFY(buffer.empty());
}

void TestWireFormat::reads_data()
{
    QTest::addColumn<bool>("responses"); // or requests
    QTest::addColumn<std::string>("buffer");
    QTest::addColumn<int>("taken");
    QTest::addColumn<bool>("malformed");

    // A pipe delivers a message in pieces: every prefix of one waits for more.
    const std::string whole = wire::EncodeRequest({"/a.psd", "/a.jpg"});
    const std::string response = wire::EncodeResponse({wire::Status::TooLarge, "detail"});
    for (std::size_t cut = 0; cut < whole.size(); ++cut)
        QTest::addRow("request cut at %zu", cut) << false << whole.substr(0, cut) << 0 << false;
    for (std::size_t cut = 0; cut < response.size(); ++cut)
        QTest::addRow("response cut at %zu", cut) << true << response.substr(0, cut) << 0 << false;

    // A stream that breaks the format is told apart from one that is merely slow, before any
    // length it claims is believed.
    QTest::newRow("two whole, a third begun")
        << false << whole + whole + whole.substr(0, 7) << 2 << false;
    QTest::newRow("wrong tag") << false << "X"s + whole.substr(1) << 0 << true;
    QTest::newRow("garbage after a whole one") << false << whole + "\xFF"s << 1 << true;
    QTest::newRow("source of 1 MiB")
        << false << "C"s + U32(1u << 20) + std::string(1u << 20, 'x') + U32(0) + "\0c"s << 1
        << false;
    // Both sides ship together: an option one of them does not know is a broken stream.
    const std::string optionless = whole.substr(0, whole.size() - 2);
    QTest::newRow("unknown option") << false << optionless + "\x04"s + "c" << 0 << true;
    QTest::newRow("quality 0") << false << optionless + "\x00\x00"s << 0 << true;
    QTest::newRow("quality 101") << false << optionless + "\x00\x65"s << 0 << true;
    QTest::newRow("source over 1 MiB, before its bytes arrive")
        << false << "C"s + U32((1u << 20) + 1) << 0 << true;
    QTest::newRow("target length 4 GiB") << false << "C"s + U32(0) + U32(0xFFFFFFFF) << 0 << true;

    const auto status = [](int status) { return char(status) + U32(2) + "ok"; };
    QTest::newRow("every status a worker sends")
        << true << status(0) + status(1) + status(2) + status(3) + status(4) + status(5) << 6
        << false;
    // Only the app knows a worker crashed, timed out or was stopped.
    QTest::newRow("decoder stopped") << true << status(6) << 0 << true;
    QTest::newRow("unknown status") << true << status(0xFF) << 0 << true;
    QTest::newRow("detail over 1 MiB") << true << "\x01"s + U32((1u << 20) + 1) << 0 << true;
}

void TestWireFormat::reads()
{
    QFETCH(bool, responses);
    QFETCH(std::string, buffer);
    QFETCH(int, taken);
    QFETCH(bool, malformed);
    std::string rest = buffer;
    bool broken = false;
    int count = 0;
    while (responses ? bool(wire::TakeResponse(rest, broken))
                     : bool(wire::TakeRequest(rest, broken)))
        ++count;
    QCOMPARE(count, taken);
    QCOMPARE(broken, malformed);
    // Bytes of a message begun stay in the buffer until the rest arrives.
    QVERIFY(broken || taken > 0 || rest == buffer);
}

QTEST_APPLESS_MAIN(TestWireFormat)
#include "tst_wireformat.moc"
