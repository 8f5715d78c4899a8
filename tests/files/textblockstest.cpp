#include "textblocks.h"
#include "gb18030decoder.h"
#include "testfiles.h"
#include "testsuites.h"
#include "textcodec.h"

#include <QBuffer>
#include <QStringEncoder>
#include <QTest>

namespace {

// Enough lines of hanzi that the encoding is judged over several blocks of 4096 bytes.
QString manyLines(int count)
{
    const QStringList names{u"张伟"_qs, u"王芳"_qs, u"欧阳娜娜"_qs, u"李堃"_qs, u"𠮷野家"_qs};
    QString text;
    for (int i = 0; i < count; ++i)
        text += names[i % names.size()] + QStringLiteral(",%1,销售部\r\n").arg(i);
    return text;
}

QByteArray utf16(const QString &text, QStringEncoder::Encoding encoding)
{
    QStringEncoder encoder(encoding, QStringEncoder::Flag::WriteBom);
    return encoder(text);
}

QString readInBlocks(const QByteArray &bytes, qsizetype blockBytes, int *pieces = nullptr)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    TextBlockReader reader(buffer, blockBytes);
    if (!reader.start())
        return QStringLiteral("(the reader failed)");
    QString text;
    int count = 0;
    while (!reader.atEnd()) {
        text += reader.next();
        ++count;
    }
    if (pieces)
        *pieces = count;
    return reader.failed() ? QStringLiteral("(the reader failed)") : text;
}

} // namespace

class TextBlocksTest : public QObject {
    Q_OBJECT

private slots:
    void readsAsDecodeTextReadsWhole_data();
    void readsAsDecodeTextReadsWhole();
    void readsALargeFileInManyPieces();
};

void TextBlocksTest::readsAsDecodeTextReadsWhole_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected"); // null where decodeText alone decides

    const QString many = manyLines(600);
    QTest::newRow("UTF-8 without a mark, judged over several blocks") << many.toUtf8() << many;
    QTest::newRow("UTF-8 with a mark") << "\xEF\xBB\xBF" + many.toUtf8() << many;
    QTest::newRow("UTF-8 with a mark, U+FEFF opening a later line")
        << QByteArray("\xEF\xBB\xBF张三\n\xEF\xBB\xBF李四\n") << u"张三\n\uFEFF李四\n"_qs;
    const QString inGbk = QString(many).remove(u"𠮷"_qs);
    QTest::newRow("GBK") << gbk(inGbk) << inGbk;
    QTest::newRow("GB18030 with four-byte characters") << encodeText(many) << many;
    QTest::newRow("GBK, a lead byte broken by a line end")
        << QByteArray("\xD5\n\xCD\xF5\xB7\xBC\n") << u"\uFFFD\n王芳\n"_qs;
    QTest::newRow("GBK, a four-byte sequence broken by a line end")
        << QByteArray("\x95\x34\r\n\xC0\xEE") << u"\uFFFD4\r\n李"_qs;
    QTest::newRow("GBK with lone CR line ends")
        << gbk(u"张伟\r王芳\r李娜"_qs) << u"张伟\r王芳\r李娜"_qs;
    QTest::newRow("UTF-16 LE with surrogate pairs") << utf16(many, QStringEncoder::Utf16LE) << many;
    QTest::newRow("UTF-16 BE with surrogate pairs") << utf16(many, QStringEncoder::Utf16BE) << many;
    QTest::newRow("UTF-16 LE with an odd last byte")
        << utf16(u"张三\r\n"_qs, QStringEncoder::Utf16LE) + 'x' << u"张三\r\n"_qs;
    QTest::newRow("ASCII only") << QByteArray("a,b\r\nc,d") << u"a,b\r\nc,d"_qs;
    QTest::newRow("empty") << QByteArray() << QString(u""_qs);
    QTest::newRow("UTF-8 cut off in its last character")
        << QByteArray("\xE5\xBC\xA0\xE4\xB8\x89\n\xE6\x9D") << QString();
    // UTF-8 leads by far in the judged blocks; a byte that is no UTF-8 comes later and
    // makes the whole file GB18030.
    QTest::newRow("a bad byte after the judged blocks") << many.toUtf8() + "\xD5\xC5\xCE\xB0\r\n"
                                                        << QString();
    QTest::newRow("a UTF-8 mark before GBK") << "\xEF\xBB\xBF" + gbk(inGbk.left(200)) << QString();
    QTest::newRow("a UTF-8 mark, then a broken byte in likelier UTF-8")
        << "\xEF\xBB\xBF" + many.toUtf8() + "\xFF\n" + many.toUtf8() << QString();
}

void TextBlocksTest::readsAsDecodeTextReadsWhole()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    const QString whole = decodeText(bytes);
    if (!expected.isNull())
        QCOMPARE(whole, expected);
    // Blocks that cut characters, CR LF and the byte-order marks; one that holds it all.
    for (qsizetype blockBytes : {1, 2, 3, 4, 5, 7, 13, 4096, 1 << 20}) {
        const QString read = readInBlocks(bytes, blockBytes);
        if (read != whole)
            QFAIL(qPrintable(
                QStringLiteral("%1-byte blocks: %2 characters, whole %3, first "
                               "difference at %4")
                    .arg(blockBytes)
                    .arg(read.size())
                    .arg(whole.size())
                    .arg(std::mismatch(read.begin(), read.end(), whole.begin(), whole.end()).first -
                         read.begin())));
    }
}

void TextBlocksTest::readsALargeFileInManyPieces()
{
    const QByteArray bytes = manyLines(200'000).toUtf8();
    int pieces = 0;
    QCOMPARE(readInBlocks(bytes, 64 * 1024, &pieces), decodeText(bytes));
    // One piece a block, give or take the line cut: never the file in one.
    QVERIFY2(pieces >= bytes.size() / (64 * 1024), qPrintable(QString::number(pieces)));
}

int runTextBlocksTest(int argc, char *argv[])
{
    TextBlocksTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "textblockstest.moc"
