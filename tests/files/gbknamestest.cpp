#include "candidatelist.h"
#include "commonnames.h"
#include "settingsfile.h"
#include "testfiles.h"
#include "testsuites.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

bool isUtf8(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes).toUtf8() == bytes;
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
    m_names = commonChineseNames(100'000, 20270101);
    qsizetype alsoUtf8 = 0;
    for (const QString &name : std::as_const(m_names)) {
        m_bytes.append(gbk(name));
        alsoUtf8 += isUtf8(m_bytes.last());
    }
    // About one name in 200 is valid UTF-8 as well: the cases the tests are about.
    QVERIFY2(alsoUtf8 > 200, qPrintable(QString::number(alsoUtf8)));
}

void GbkNamesTest::readsRandomGbkNamesBack()
{
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        const QStringList read = parseCandidateNames(m_bytes[i]);
        if (read != QStringList{m_names[i]})
            QFAIL(qPrintable(u"GBK name %1 read as %2"_qs.arg(m_names[i], read.join(u'|'))));
        if (parseCandidateNames(m_bytes[i] + "\r\n") != read)
            QFAIL(qPrintable(u"GBK name %1 read differently with a line end"_qs.arg(m_names[i])));
    }
    // Lists of three, the shortest lists an event has.
    for (qsizetype i = 0; i + 3 <= m_names.size(); i += 3) {
        const QStringList list = m_names.mid(i, 3);
        const QStringList read = parseCandidateNames(gbk(list.join(u"\r\n"_qs)));
        if (read != list)
            QFAIL(qPrintable(u"GBK list %1 read as %2"_qs.arg(list.join(u'|'), read.join(u'|'))));
    }
}

void GbkNamesTest::readsRandomGbkTitlesBack()
{
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        const QByteArray file = m_bytes[i] + "\r\n5\r\n3\r\n2\r\n1\r\n";
        const QString title = parseSettingsLines(file)[0];
        if (title != m_names[i])
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
