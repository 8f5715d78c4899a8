#include "textcodec.h"
#include "candidatelist.h"
#include "testfiles.h"
#include "testsuites.h"

#include <QHash>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QStringList ChineseNames = {u"张伟"_qs, u"王芳"_qs, u"李娜"_qs,       u"刘洋"_qs,
                                  u"陈静"_qs, u"杨帆"_qs, u"赵丽颖"_qs,     u"黄晓明"_qs,
                                  u"周杰"_qs, u"吴磊"_qs, u"欧阳娜娜"_qs,   u"司马相如"_qs,
                                  u"王喆"_qs, u"李堃"_qs, u"约翰·史密斯"_qs};
const QStringList LatinNames = {u"José"_qs, u"Müller"_qs, u"Zoë"_qs, u"Łukasz"_qs,
                                u"François Côté"_qs};
const QStringList GreekAndCyrillicNames = {u"Иван"_qs, u"Ελένη"_qs};

QByteArray lines(const QStringList &names)
{
    return names.join(u"\r\n"_qs).toUtf8() + "\r\n";
}

QByteArray utf16(const QString &text, QStringEncoder::Encoding encoding)
{
    QStringEncoder encoder(encoding, QStringEncoder::Flag::WriteBom);
    return encoder(text);
}

} // namespace

class TextCodecTest : public QObject {
    Q_OBJECT

private slots:
    void readsEveryEncoding_data();
    void readsEveryEncoding();
    void readsEachUtf8NameAlone_data();
    void readsEachUtf8NameAlone();
    void keepsValidNamesAroundInvalidBytes_data();
    void keepsValidNamesAroundInvalidBytes();
    void decodesGb18030Exactly_data();
    void decodesGb18030Exactly();
    void writesGb18030();
    void readsEncodingsFromRealFiles();
};

void TextCodecTest::readsEveryEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("GBK, as Notepad saves ANSI")
        << QByteArray("\xD5\xC5\xCE\xB0\r\n\xCD\xF5\xB7\xBC\r\n") << QStringList{"张伟", "王芳"};
    QTest::newRow("GBK, whole list") << gbk(ChineseNames.join(u"\r\n"_qs)) << ChineseNames;
    QTest::newRow("GB18030 four-byte character")
        << QByteArray("\x95\x34\xB2\x35\xD2\xB0\xBC\xD2\r\n\xC0\xEE\xC4\xC8")
        << QStringList{u"𠮷野家"_qs, u"李娜"_qs};
    QTest::newRow("GBK name whose first bytes look like a UTF-8 BOM")
        << QByteArray("\xEF\xBB\xBF\xC6") << QStringList{u"锘科"_qs};
    QTest::newRow("UTF-8 without BOM, Chinese") << lines(ChineseNames) << ChineseNames;
    QTest::newRow("UTF-8 with BOM, Chinese")
        << "\xEF\xBB\xBF" + lines(ChineseNames) << ChineseNames;
    QTest::newRow("UTF-8 without BOM, accented Latin") << lines(LatinNames) << LatinNames;
    QTest::newRow("UTF-8 with BOM, accented Latin")
        << "\xEF\xBB\xBF" + lines(LatinNames) << LatinNames;
    QTest::newRow("UTF-16 LE with BOM, as Notepad saves Unicode")
        << utf16(ChineseNames.join(u"\r\n"_qs), QStringEncoder::Utf16LE) << ChineseNames;
    QTest::newRow("UTF-16 BE with BOM")
        << utf16(LatinNames.join(u"\r\n"_qs), QStringEncoder::Utf16BE) << LatinNames;
    QTest::newRow("plain ASCII") << QByteArray("Anna\r\nBen\r\n") << QStringList{"Anna", "Ben"};
}

void TextCodecTest::readsEveryEncoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, names);

    QCOMPARE(parseCandidateNames(bytes), names);
}

void TextCodecTest::readsEachUtf8NameAlone_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("readWithoutBom");

    // Alone, these two are byte for byte GBK as well, and a near tie goes to GBK.
    const QHash<QString, QString> alsoGbk{{u"José"_qs, u"Jos茅"_qs}, {u"Zoë"_qs, u"Zo毛"_qs}};
    for (const QString &name : ChineseNames + LatinNames + GreekAndCyrillicNames)
        QTest::newRow(qPrintable(u"one-line UTF-8 file: "_qs + name))
            << name << alsoGbk.value(name, name);
}

// A single short name is the hardest case: there is little text to judge by.
void TextCodecTest::readsEachUtf8NameAlone()
{
    QFETCH(QString, name);
    QFETCH(QString, readWithoutBom);

    QCOMPARE(decodeText(name.toUtf8()), readWithoutBom);
    QCOMPARE(decodeText("\xEF\xBB\xBF" + name.toUtf8()), name);
    QCOMPARE(decodeText(encodeText(name)), name);
}

void TextCodecTest::keepsValidNamesAroundInvalidBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("validNames");

    QTest::newRow("GBK with a lone lead byte on its own line")
        << gbk(u"张伟\r\n"_qs) + "\x81\r\n" + gbk(u"王芳\r\n李娜"_qs)
        << QStringList{"张伟", "王芳", "李娜"};
    QTest::newRow("GBK with bytes no encoding uses")
        << gbk(u"张伟\r\n"_qs) + "\xFF\x80\r\n" + gbk(u"王芳"_qs) << QStringList{"张伟", "王芳"};
    QTest::newRow("GBK cut off in the middle of a character")
        << gbk(u"张伟\r\n王"_qs) + "\xD6" << QStringList{"张伟", "王"};
    QTest::newRow("UTF-8 with BOM and a broken line")
        << "\xEF\xBB\xBF" + lines({"张伟", "王芳"}) + "\xC3\r\n" + lines({"李娜", "欧阳娜娜"})
        << QStringList{"张伟", "王芳", "李娜", "欧阳娜娜"};
    QTest::newRow("UTF-16 LE with an odd byte at the end")
        << utf16(u"张伟\r\n王芳"_qs, QStringEncoder::Utf16LE) + "\x41"
        << QStringList{"张伟", "王芳"};
}

void TextCodecTest::keepsValidNamesAroundInvalidBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, validNames);

    QStringList names = parseCandidateNames(bytes);
    names.removeIf([](const QString &name) { return name.contains(QChar::ReplacementCharacter); });
    QCOMPARE(names, validNames);
}

// The same on every platform, whichever codec Qt brings: Qt's own (Windows) cuts
// characters beyond the basic plane to 16 bits, and a bad byte must not eat a line break.
void TextCodecTest::decodesGb18030Exactly_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("first beyond the basic plane")
        << QByteArray("\x90\x30\x81\x30") << u"\U00010000"_qs;
    QTest::newRow("U+20000") << QByteArray("\x95\x32\x82\x36") << u"\U00020000"_qs;
    QTest::newRow("a rare name") << QByteArray("\xC0\xEE\x98\x35\xEE\x37") << u"李𪚥"_qs;
    QTest::newRow("last code point") << QByteArray("\xE3\x32\x9A\x35") << u"\U0010FFFF"_qs;
    QTest::newRow("past the last code point") << QByteArray("\xE3\x32\x9A\x36") << u"\uFFFD"_qs;
    QTest::newRow("four bytes in the basic plane")
        << QByteArray("\x81\x30\x81\x30\x81\x30\x8A\x35") << u"\u0080ë"_qs;
    QTest::newRow("lone lead byte before a line break")
        << QByteArray("\xD5\xC5\x81\r\nA") << u"张\uFFFD\r\nA"_qs;
    QTest::newRow("four-byte sequence cut off at the end")
        << QByteArray("A\x95\x32\x82") << u"A"_qs;
    QTest::newRow("four-byte sequence broken by a line break")
        << QByteArray("\x81\x30\x81\r\nA") << u"\uFFFD0\uFFFD\r\nA"_qs;
}

void TextCodecTest::decodesGb18030Exactly()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);

    QCOMPARE(decodeText(bytes), text);
    QCOMPARE(decodeText(encodeText(text).append("\r\n").append(bytes)), text + u"\r\n"_qs + text);
}

void TextCodecTest::writesGb18030()
{
    QCOMPARE(encodeText(u"张伟\r\n王芳"_qs), QByteArray("\xD5\xC5\xCE\xB0\r\n\xCD\xF5\xB7\xBC"));
    QCOMPARE(encodeText(u"𠮷"_qs), QByteArray("\x95\x34\xB2\x35"));
    const QString outsideGbk = u"Zoë Łukasz 𠮷 €"_qs;
    QCOMPARE(decodeText(encodeText(outsideGbk)), outsideGbk);
}

void TextCodecTest::readsEncodingsFromRealFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QList<QByteArray> encodings = {
        gbk(ChineseNames.join(u"\r\n"_qs)), lines(ChineseNames),
        "\xEF\xBB\xBF" + lines(ChineseNames),
        utf16(ChineseNames.join(u"\r\n"_qs), QStringEncoder::Utf16LE),
        utf16(ChineseNames.join(u"\r\n"_qs), QStringEncoder::Utf16BE)};
    for (const QByteArray &bytes : encodings) {
        QVERIFY(writeBytes(dir.filePath("cjk.txt"), bytes));
        const CandidateList list = readCandidateFile(dir.filePath("cjk.txt"));
        QVERIFY(list.result.ok());
        QCOMPARE(list.names, ChineseNames);
    }
}

int runTextCodecTest(int argc, char *argv[])
{
    TextCodecTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "textcodectest.moc"
