#include "candidatelist.h"
#include "settingsfile.h"
#include "testfiles.h"
#include "testsuites.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCodec>

namespace {

// The 6763 ideographs of GB2312: lead bytes 0xB0-0xF7, trail bytes 0xA1-0xFE.
QList<QChar> gb2312Ideographs()
{
    QTextCodec *codec = QTextCodec::codecForName("GBK");
    QList<QChar> ideographs;
    for (int lead = 0xB0; lead <= 0xF7; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            const char pair[] = {char(lead), char(trail)};
            const QString decoded = codec->toUnicode(pair, 2);
            if (decoded.size() == 1 && decoded.at(0) >= u'\u4E00' && decoded.at(0) <= u'\u9FFF')
                ideographs.append(decoded.at(0));
        }
    }
    return ideographs;
}

QStringList randomNames(int count)
{
    const QList<QChar> ideographs = gb2312Ideographs();
    QRandomGenerator random(20270101);
    QStringList names;
    names.reserve(count);
    for (int i = 0; i < count; ++i) {
        QString name;
        for (int length = 2 + i % 2; length > 0; --length)
            name += ideographs.at(random.bounded(int(ideographs.size())));
        names.append(name);
    }
    return names;
}

// A few GBK names are, byte for byte, UTF-8 for other ideographs: the same six bytes
// are a three-character GBK name and a two-character UTF-8 name. The reader takes
// UTF-8 there, since UTF-8 Chinese read as GBK looks like ideographs just as often.
bool isAlsoUtf8Ideographs(const QByteArray &bytes)
{
    const QString utf8 = QString::fromUtf8(bytes);
    if (utf8.toUtf8() != bytes)
        return false;
    return std::all_of(utf8.cbegin(), utf8.cend(),
                       [](QChar c) { return c >= u'\u4E00' && c <= u'\u9FFF'; });
}

} // namespace

class GbkNamesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void readsRandomGbkNamesBack();
    void readsRandomGbkTitlesBack();
    void readsRandomGbkNamesFromRealFiles();

private:
    QStringList m_names;
    QList<QByteArray> m_bytes;
};

void GbkNamesTest::initTestCase()
{
    QCOMPARE(gb2312Ideographs().size(), 6763);
    m_names = randomNames(100'000);
    for (const QString &name : std::as_const(m_names))
        m_bytes.append(gbk(name));
}

void GbkNamesTest::readsRandomGbkNamesBack()
{
    int ambiguous = 0;
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        const QString expected =
            isAlsoUtf8Ideographs(m_bytes[i]) ? QString::fromUtf8(m_bytes[i]) : m_names[i];
        ambiguous += expected != m_names[i];
        const QStringList read = parseCandidateNames(m_bytes[i]);
        if (read != QStringList{expected})
            QFAIL(qPrintable(u"GBK name %1 read as %2"_qs.arg(m_names[i], read.join(u'|'))));
        if (parseCandidateNames(m_bytes[i] + "\r\n") != read)
            QFAIL(qPrintable(u"GBK name %1 read differently with a line end"_qs.arg(m_names[i])));
    }
    // About one three-character name in 40,000 is such a double.
    QVERIFY2(ambiguous <= 10, qPrintable(QString::number(ambiguous)));
}

void GbkNamesTest::readsRandomGbkTitlesBack()
{
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        const QByteArray file = m_bytes[i] + "\r\n5\r\n3\r\n2\r\n1\r\n";
        const QString title = parseSettingsLines(file)[0];
        if (title != m_names[i] && !isAlsoUtf8Ideographs(m_bytes[i]))
            QFAIL(qPrintable(u"GBK title %1 read as %2"_qs.arg(m_names[i], title)));
    }
}

void GbkNamesTest::readsRandomGbkNamesFromRealFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString candidatePath = dir.filePath("cjk.txt");
    const QString settingsPath = dir.filePath("bt.txt");
    for (qsizetype i = 0; i < 20; ++i) {
        QVERIFY(writeBytes(candidatePath, m_bytes[i]));
        QCOMPARE(readCandidateFile(candidatePath).names, QStringList{m_names[i]});
        QVERIFY(writeBytes(settingsPath, m_bytes[i] + "\r\n1\r\n1\r\n1\r\n1"));
        QCOMPARE(readSettingsFile(settingsPath).title(), m_names[i]);
    }
    const QStringList list = m_names.mid(0, 1000);
    QVERIFY(writeBytes(candidatePath, gbk(list.join(u"\r\n"_qs))));
    QCOMPARE(readCandidateFile(candidatePath).names, list);
}

int runGbkNamesTest(int argc, char *argv[])
{
    GbkNamesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "gbknamestest.moc"
