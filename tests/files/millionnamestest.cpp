#include "candidatelist.h"
#include "manynames.h"
#include "testfiles.h"
#include "testsuites.h"

#include <QCryptographicHash>
#include <QHash>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCodec>

using namespace Qt::StringLiterals;

// A million names read whole, in every encoding an operator saves, with the empty lines
// and the duplicates the journal records in their right places.
class MillionNamesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void readsEveryNameInEveryEncoding_data();
    void readsEveryNameInEveryEncoding();
    void findsEveryDuplicateWithItsLines();

private:
    QString fileText(const QString &lineEnd) const;

    QStringList names_;
    QList<qsizetype> emptyLines_;
    QTemporaryDir directory_;
};

namespace {

constexpr qsizetype Million = 1'000'000;
// The file's empty lines, counted from 1: one near the top and two together in the middle.
const QList<qsizetype> EmptyLines{3, 500'004, 500'005};

} // namespace

void MillionNamesTest::initTestCase()
{
    QVERIFY(directory_.isValid());
    names_ = manyNames(Million);
    emptyLines_ = EmptyLines;
}

QString MillionNamesTest::fileText(const QString &lineEnd) const
{
    QString text;
    text.reserve(names_.size() * 5);
    qsizetype line = 1;
    for (const QString &name : names_) {
        while (emptyLines_.contains(line)) {
            text += lineEnd;
            ++line;
        }
        text += name;
        text += lineEnd;
        ++line;
    }
    return text;
}

void MillionNamesTest::readsEveryNameInEveryEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("lastName");

    const QString crlf = fileText(u"\r\n"_s);
    QTest::newRow("GBK with CR LF") << gbk(crlf) << QString();
    QTest::newRow("GBK with LF alone") << gbk(fileText(u"\n"_s)) << QString();
    // One character beyond GBK sends the whole file through the codec instead of the table.
    const QString rare = u"王\U00020000"_s;
    QTest::newRow("GB18030 with a four-byte character at the very end")
        << QTextCodec::codecForName("GB18030")->fromUnicode(crlf + rare) << rare;
    QTest::newRow("UTF-8 with a byte-order mark") << "\xEF\xBB\xBF" + crlf.toUtf8() << QString();
    QStringEncoder utf16(QStringEncoder::Utf16LE);
    QTest::newRow("UTF-16 LE with a byte-order mark")
        << "\xFF\xFE" + QByteArray(utf16(crlf)) << QString();
}

void MillionNamesTest::readsEveryNameInEveryEncoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, lastName);
    const QString path = directory_.filePath(u"cjk.txt"_s);
    QVERIFY(writeBytes(path, bytes));

    const CandidatePool pool = readCandidatePool(path);

    QVERIFY(pool.result.ok());
    QStringList expected = names_;
    if (!lastName.isEmpty())
        expected.append(lastName);
    QCOMPARE(pool.names.size(), expected.size());
    QCOMPARE(pool.names.toStringList(), expected);
    QCOMPARE(pool.emptyLines, emptyLines_);
    QCOMPARE(pool.sha256, QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

void MillionNamesTest::findsEveryDuplicateWithItsLines()
{
    const QString path = directory_.filePath(u"cjk.txt"_s);
    QVERIFY(writeBytes(path, gbk(fileText(u"\r\n"_s))));

    // The plain way: every name's lines in file order, the names in order of first line.
    QHash<QString, qsizetype> groupOf;
    QList<DuplicateName> expected;
    qsizetype line = 1;
    for (const QString &name : names_) {
        while (emptyLines_.contains(line))
            ++line;
        const auto known = groupOf.constFind(name);
        if (known == groupOf.cend()) {
            groupOf.insert(name, expected.size());
            expected.append({name, {line}});
        } else {
            expected[*known].lineNumbers.append(line);
        }
        ++line;
    }
    expected.removeIf([](const DuplicateName &group) { return group.lineNumbers.size() < 2; });
    QVERIFY(expected.size() > 1'000);

    const CandidateList list = readCandidateFile(path);

    QCOMPARE(list.names, names_);
    QCOMPARE(list.duplicates.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QCOMPARE(list.duplicates[i].name, expected[i].name);
        QCOMPARE(list.duplicates[i].lineNumbers, expected[i].lineNumbers);
    }
}

int runMillionNamesTest(int argc, char *argv[])
{
    MillionNamesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "millionnamestest.moc"
