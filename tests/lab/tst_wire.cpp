// The wire codec's bytes, written out by hand.
#include "lab/Wire.h"

#include <QtTest>

class TstWire : public QObject {
    Q_OBJECT
private slots:
    void encodings_data();
    void encodings();
    void takeLine_data();
    void takeLine();
    void linesInOneBuffer();
    void inputBuffer();
};

void TstWire::encodings_data()
{
    QTest::addColumn<QByteArray>("got");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("line") << wire::encodeLine(QStringLiteral("SENDFILE")) << QByteArray("SENDFILE\r\n");
    QTest::newRow("line 1252") << wire::encodeLine(QStringLiteral("€ één")) << QByteArray("\x80 \xE9\xE9n\r\n");
    QTest::newRow("empty line") << wire::encodeLine(QString()) << QByteArray("\r\n");
    QTest::newRow("int 2") << wire::encodeInt(2) << QByteArray::fromHex("00000002");
    QTest::newRow("int 1234") << wire::encodeInt(1234) << QByteArray::fromHex("000004D2");
    QTest::newRow("int -1") << wire::encodeInt(-1) << QByteArray::fromHex("FFFFFFFF");
    QTest::newRow("int min") << wire::encodeInt(INT32_MIN) << QByteArray::fromHex("80000000");
    QTest::newRow("size") << wire::encodeSize(0x0102030405060708ull) << QByteArray::fromHex("0102030405060708");
    QTest::newRow("greeting") << wire::greeting()
                              << QByteArray("QX2.7HwKTKiekjesbode - Studio Meeuwenveld-Ros\r\n");
}

void TstWire::encodings()
{
    QFETCH(QByteArray, got);
    QFETCH(QByteArray, expected);
    QCOMPARE(got, expected);
}

void TstWire::takeLine_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("rest");
    const int Line = int(wire::LineResult::Line), More = int(wire::LineResult::NeedMore),
              Long = int(wire::LineResult::TooLong);
    QTest::newRow("CR LF") << QByteArray("VERIFIED\r\nx") << Line << QByteArray("VERIFIED") << QByteArray("x");
    QTest::newRow("LF") << QByteArray("VERIFIED\nx") << Line << QByteArray("VERIFIED") << QByteArray("x");
    QTest::newRow("lone CR kept") << QByteArray("a\rb\n") << Line << QByteArray("a\rb") << QByteArray();
    QTest::newRow("CR CR LF keeps one") << QByteArray("a\r\r\n") << Line << QByteArray("a\r") << QByteArray();
    QTest::newRow("empty") << QByteArray("\r\n") << Line << QByteArray() << QByteArray();
    QTest::newRow("no LF yet") << QByteArray("VERIF") << More << QByteArray() << QByteArray("VERIF");
    QTest::newRow("CR only yet") << QByteArray("VERIFIED\r") << More << QByteArray() << QByteArray("VERIFIED\r");
    QTest::newRow("16384 + CR LF") << (QByteArray(16384, 'a') + "\r\n") << Line << QByteArray(16384, 'a') << QByteArray();
    QTest::newRow("16384 + LF") << (QByteArray(16384, 'a') + "\n") << Line << QByteArray(16384, 'a') << QByteArray();
    QTest::newRow("16385 + LF") << (QByteArray(16385, 'a') + "\n") << Long << QByteArray() << QByteArray();
    QTest::newRow("16385 + CR LF") << (QByteArray(16385, 'a') + "\r\n") << Long << QByteArray() << QByteArray();
    QTest::newRow("16384 + CR, LF to come") << (QByteArray(16384, 'a') + "\r") << More << QByteArray()
                                           << (QByteArray(16384, 'a') + "\r");
    QTest::newRow("16386 without LF") << QByteArray(16386, 'a') << Long << QByteArray() << QByteArray();
}

void TstWire::takeLine()
{
    QFETCH(QByteArray, buffer);
    QFETCH(int, result);
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, rest);
    QByteArray got;
    const auto r = wire::takeLine(buffer, got);
    QCOMPARE(int(r), result);
    if (r == wire::LineResult::Line) {
        QCOMPARE(got, line);
        QCOMPARE(buffer, rest);
    } else if (r == wire::LineResult::NeedMore) {
        QCOMPARE(buffer, rest);
    }
}

void TstWire::linesInOneBuffer()
{
    QByteArray buffer("Welkom\r\nVERIFIED\nNIEUWS");
    QByteArray line;
    QCOMPARE(wire::takeLine(buffer, line), wire::LineResult::Line);
    QCOMPARE(line, QByteArray("Welkom"));
    QCOMPARE(wire::takeLine(buffer, line), wire::LineResult::Line);
    QCOMPARE(line, QByteArray("VERIFIED"));
    QCOMPARE(wire::takeLine(buffer, line), wire::LineResult::NeedMore);
    QCOMPARE(buffer, QByteArray("NIEUWS"));
}

void TstWire::inputBuffer()
{
    wire::TInputBuffer in;
    in.append("Welkom\r\nVERIFIED\n");
    in.append(QByteArray::fromHex("0000002A") + "half");
    QByteArray line;
    QCOMPARE(in.takeLine(line), wire::LineResult::Line);
    QCOMPARE(line, QByteArray("Welkom"));
    QCOMPARE(in.takeLine(line), wire::LineResult::Line);
    QCOMPARE(line, QByteArray("VERIFIED"));
    QCOMPARE(in.size(), 8);
    QCOMPARE(QByteArray(in.data(), 4), QByteArray::fromHex("0000002A"));
    in.consume(4);
    QCOMPARE(in.takeLine(line), wire::LineResult::NeedMore);
    in.append(" line\r\n");
    QCOMPARE(in.takeLine(line), wire::LineResult::Line);
    QCOMPARE(line, QByteArray("half line"));
    QVERIFY(in.isEmpty());
    // The limit counts from the current position, not from the start of what was appended.
    in.append(QByteArray(100, 'x') + "\n" + QByteArray(16384, 'y') + "\r\n" + QByteArray(16386, 'z'));
    QCOMPARE(in.takeLine(line), wire::LineResult::Line);
    QCOMPARE(in.takeLine(line), wire::LineResult::Line);
    QCOMPARE(line.size(), 16384);
    QCOMPARE(in.takeLine(line), wire::LineResult::TooLong);
}

QTEST_GUILESS_MAIN(TstWire)
#include "tst_wire.moc"
