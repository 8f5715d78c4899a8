#include "candidatefile.h"
#include "commonnames.h"
#include "settingsfile.h"
#include "testfiles.h"
#include "testsuites.h"
#include "textcodec.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTextCodec>

using namespace Qt::StringLiterals;

// Files without a byte-order mark are GB18030 or UTF-8, and short ones are often valid
// in both. These tables hold what each side must read exactly, and the pairs that are
// truly both, with the way they go.
class EncodingGuessTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void readsWrittenTitlesBack_data();
    void readsWrittenTitlesBack();
    void readsWrittenMixesBack_data();
    void readsWrittenMixesBack();
    void readsUtf8WithoutBom_data();
    void readsUtf8WithoutBom();
    void readsAmbiguousBytesOneWay_data();
    void readsAmbiguousBytesOneWay();
    void readsLongFilesWhole_data();
    void readsLongFilesWhole();

private:
    QList<QChar> common_;
    QList<QChar> alsoUtf8_; // common hanzi whose two GBK bytes are UTF-8 for one letter
};

namespace {

const QString Quotas = u"\r\n5\r\n3\r\n2\r\n1\r\n"_s;

bool isUtf8(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

QByteArray utf8Lines(const QStringList &lines)
{
    return lines.join(u"\r\n"_s).toUtf8() + "\r\n";
}

} // namespace

void EncodingGuessTest::initTestCase()
{
    common_ = commonHanzi();
    QCOMPARE(common_.size(), 3755);
    for (const QChar c : std::as_const(common_)) {
        if (isUtf8(gbk(c)))
            alsoUtf8_.append(c);
    }
    // л, κ, è, ... : the hanzi that make a short GBK file valid UTF-8.
    QCOMPARE(alsoUtf8_.size(), 682);
}

void EncodingGuessTest::readsWrittenTitlesBack_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("count"); // 0: every one of the characters alone
    QTest::addColumn<bool>("onlyAlsoUtf8");

    QTest::newRow("each common hanzi alone") << 1 << 0 << false;
    for (int length = 2; length <= 8; ++length) {
        QTest::addRow("%d random common hanzi", length) << length << 100'000 << false;
        QTest::addRow("%d random common hanzi, all also UTF-8 letters", length)
            << length << 43'000 << true;
    }
}

// Every title the settings window can save from common hanzi reads back as saved.
void EncodingGuessTest::readsWrittenTitlesBack()
{
    QFETCH(int, length);
    QFETCH(int, count);
    QFETCH(bool, onlyAlsoUtf8);
    const QList<QChar> &alphabet = onlyAlsoUtf8 ? alsoUtf8_ : common_;

    QRandomGenerator random(quint32(20270101 + length * 2 + onlyAlsoUtf8));
    const int titles = count == 0 ? int(alphabet.size()) : count;
    qsizetype validUtf8 = 0;
    for (int i = 0; i < titles; ++i) {
        QString title;
        for (int n = 0; n < length; ++n)
            title += alphabet.at(count == 0 ? i : random.bounded(int(alphabet.size())));
        const QByteArray bytes = encodeText(title + Quotas);
        validUtf8 += isUtf8(bytes);
        const QString read = parseSettingsLines(bytes)[0];
        if (read != title)
            QFAIL(qPrintable(u"title %1 read back as %2"_s.arg(title, read)));
    }
    // The row must hold the hard cases, not only files that are no UTF-8 at all.
    QVERIFY(onlyAlsoUtf8 ? validUtf8 == titles : validUtf8 > 0 || length > 4);
}

void EncodingGuessTest::readsWrittenMixesBack_data()
{
    QTest::addColumn<QString>("title");

    // Each of these is also valid UTF-8 ("Tomè", "Partyé", "Zoë", ...).
    for (const QString &title :
         {u"Tom猫"_s, u"Tom猫猫"_s, u"Tom猫 Jerry猫"_s, u"Party茅"_s, u"Zo毛"_s, u"Jos茅"_s,
          u"猫Tom"_s, u"A谢B"_s, u"2027年会"_s, u"第1名"_s, u"CEO王总"_s, u"QQ群抽奖"_s})
        QTest::newRow(qPrintable(title)) << title;
}

void EncodingGuessTest::readsWrittenMixesBack()
{
    QFETCH(QString, title);

    QCOMPARE(parseSettingsLines(encodeText(title + Quotas))[0], title);
    QCOMPARE(parseCandidateNames(encodeText(title)), QStringList{title});
}

void EncodingGuessTest::readsUtf8WithoutBom_data()
{
    QTest::addColumn<QStringList>("lines");

    const auto row = [](const char *name, const QStringList &lines) {
        QTest::newRow(name) << lines;
    };
    // Titles with emoji, as a settings file.
    row("title 2024年会🎉", {u"2024年会🎉"_s, u"5"_s, u"3"_s, u"2"_s, u"1"_s});
    row("title 新年快乐❤️", {u"新年快乐❤️"_s, u"5"_s, u"3"_s, u"2"_s, u"1"_s});
    row("title 🎉 alone", {u"🎉"_s, u"5"_s, u"3"_s, u"2"_s, u"1"_s});
    row("title with a family emoji",
        {u"年会 👨‍👩‍👧 家庭奖"_s, u"1"_s, u"1"_s, u"1"_s, u"1"_s});
    row("title Happy New Year 🎆", {u"Happy New Year 🎆"_s, u"1"_s, u"1"_s, u"1"_s, u"1"_s});
    row("title Tom🐱", {u"Tom🐱"_s, u"1"_s, u"1"_s, u"1"_s, u"1"_s});
    // Three-name lists with one emoji.
    row("Chinese names, one with 🎉", {u"王五"_s, u"李四🎉"_s, u"张三"_s});
    row("Chinese names, one with 👍🏽", {u"刘洋"_s, u"陈静"_s, u"👍🏽杨帆"_s});
    row("Latin names, one with 🌟", {u"Anna 🌟"_s, u"Ben"_s, u"Cleo"_s});
    // Lists in other scripts, capitalised as their writers do.
    row("Chinese", {u"张伟"_s, u"王芳"_s, u"李娜"_s});
    row("Latin with accents",
        {u"Jürgen Müller"_s, u"François Côté"_s, u"Łukasz Wójcik"_s, u"José García"_s,
         u"Şükrü Öztürk"_s, u"Nguyễn Văn Trương"_s, u"ÉMILE ZOLA"_s});
    row("Cyrillic", {u"Иван Петров"_s, u"Мария Смирнова"_s, u"Ольга Кузнецова"_s});
    row("Greek", {u"Γιώργος Παπαδόπουλος"_s, u"Ελένη Νικολάου"_s, u"ΔΗΜΗΤΡΗΣ ΟΙΚΟΝΟΜΟΥ"_s});
    row("Armenian", {u"Արամ Պետրոսյան"_s, u"Անի Հակոբյան"_s, u"Նարեկ Սարգսյան"_s});
    row("Georgian", {u"გიორგი ბერიძე"_s, u"ნინო კაპანაძე"_s, u"დავით მაისურაძე"_s});
    row("Hebrew", {u"דוד כהן"_s, u"שרה לוי"_s, u"יוסף מזרחי"_s});
    row("Arabic", {u"محمد علي"_s, u"فاطمة حسن"_s, u"أحمد خالد"_s});
    row("Devanagari", {u"राहुल शर्मा"_s, u"प्रिया पटेल"_s, u"अमित कुमार"_s});
    row("Thai", {u"สมชาย ใจดี"_s, u"สมหญิง รักไทย"_s, u"ประยุทธ์ ศรีสุข"_s});
    row("Hangul", {u"김민수"_s, u"이영희"_s, u"박지훈"_s});
    row("Japanese", {u"田中さくら"_s, u"佐藤ハルト"_s, u"鈴木 一郎"_s});
    row("one name in each of five scripts",
        {u"Иван"_s, u"张伟"_s, u"José"_s, u"Ελένη"_s, u"김민수"_s});
}

void EncodingGuessTest::readsUtf8WithoutBom()
{
    QFETCH(QStringList, lines);

    const QByteArray bytes = utf8Lines(lines);
    QCOMPARE(splitLines(decodeText(bytes)), lines);
    QCOMPARE(parseSettingsLines(bytes)[0], lines.first());
    QCOMPARE(parseCandidateNames(bytes), lines);
}

void EncodingGuessTest::readsAmbiguousBytesOneWay_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("read");

    // A near tie goes to GB18030.
    QTest::newRow("UTF-8 José alone is GBK Jos茅: GBK") << "José"_ba << u"Jos茅"_s;
    QTest::newRow("UTF-8 Zoë alone is GBK Zo毛: GBK") << "Zoë"_ba << u"Zo毛"_s;
    QTest::newRow("UTF-8 Яна alone is GBK 携薪邪: GBK") << "Яна"_ba << u"携薪邪"_s;
    QTest::newRow("UTF-8 © 2027 alone is GBK 漏 2027: GBK") << "© 2027"_ba << u"漏 2027"_s;
    // Clearly likelier UTF-8 wins even over what the program could have written.
    QTest::newRow("GBK 韬查浮 is UTF-8 躲鸡: UTF-8") << gbk(u"韬查浮"_s) << u"躲鸡"_s;
    QTest::newRow("GBK 诨讵冢 is UTF-8 Arabic ڻڪڣ: UTF-8") << gbk(u"诨讵冢"_s) << u"ڻڪڣ"_s;
}

void EncodingGuessTest::readsAmbiguousBytesOneWay()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, read);

    QVERIFY(isUtf8(bytes));
    QCOMPARE(decodeText(bytes), read);
}

// A long file is judged by its first lines; what follows must still decide when it is
// no UTF-8 at all.
void EncodingGuessTest::readsLongFilesWhole_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("read");

    const QString chinese = QStringList(10'000, u"张伟"_s).join(u"\r\n"_s) + u"\r\n"_s;
    const QString ascii = QStringList(10'000, u"Anna Lee"_s).join(u"\r\n"_s) + u"\r\n"_s;
    const QByteArray gbkAfterUtf8 = chinese.toUtf8() + gbk(u"王芳"_s);
    QTest::newRow("UTF-8 lines, then one GBK name")
        << gbkAfterUtf8 << QTextCodec::codecForName("GB18030")->toUnicode(gbkAfterUtf8);
    QTest::newRow("UTF-8 lines, then U+FFFD typed in a name")
        << (chinese + u"王\uFFFD"_s).toUtf8() << chinese + u"王\uFFFD"_s;
    QTest::newRow("ASCII lines, then UTF-8 Chinese")
        << (ascii + chinese).toUtf8() << ascii + chinese;
    QTest::newRow("ASCII lines, then GBK Tom猫")
        << ascii.toUtf8() + gbk(u"Tom猫"_s) << ascii + u"Tom猫"_s;
}

void EncodingGuessTest::readsLongFilesWhole()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, read);

    QCOMPARE(decodeText(bytes), read);
}

int runEncodingGuessTest(int argc, char *argv[])
{
    EncodingGuessTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "encodingguesstest.moc"
