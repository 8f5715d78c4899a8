#pragma once

// An evening of batch draws in a folder of its own, driven through ProgramHost, and the
// same evening's names, for the batch tests to compare.

#include "appfixture.h"
#include "batchfile.h"
#include "journalwindow.h"
#include "programhost.h"
#include "textcodec.h"

#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

#include <memory>

// Names that contain one another, in both orders and letter cases: a batch must never hold
// a name that an earlier winner of it would have taken out of the pool.
inline const QStringList Names{
    QStringLiteral("王伟东"), QStringLiteral("王伟"),   QStringLiteral("ANNA LEE"),
    QStringLiteral("Anna"),   QStringLiteral("李娜"),   QStringLiteral("张敏"),
    QStringLiteral("刘洋"),   QStringLiteral("陈杰"),   QStringLiteral("杨静"),
    QStringLiteral("赵磊"),   QStringLiteral("黄丽"),   QStringLiteral("周强"),
    QStringLiteral("吴艳"),   QStringLiteral("徐涛"),   QStringLiteral("孙明"),
    QStringLiteral("马超"),   QStringLiteral("朱秀"),   QStringLiteral("胡霞"),
    QStringLiteral("郭平"),   QStringLiteral("何刚"),   QStringLiteral("高桂"),
    QStringLiteral("林芳"),   QStringLiteral("罗娟"),   QStringLiteral("Bob Stone"),
    QStringLiteral("bob"),    QStringLiteral("欧阳娜"), QStringLiteral("王芳"),
    QStringLiteral("李伟"),
};

// One evening in its own folder through ProgramHost, which a test may drop as a kill would
// (no clean end) and start again to resume.
struct Evening {
    AppFixture fixture;
    std::unique_ptr<ProgramHost> host;

    Evening(int batch, int quota)
    {
        fixture.writeSettings(QStringLiteral("年会"), {QString::number(quota), QStringLiteral("0"),
                                                       QStringLiteral("0"), QStringLiteral("0")});
        fixture.writeCandidates(Names);
        if (batch > 1)
            fixture.writeFile(BatchFileName, batchFileBytes({batch, 1, 1, 1}));
        start();
    }
    void start()
    {
        host = std::make_unique<ProgramHost>(fixture.notifier, fixture.random,
                                             fixture.programDirectory());
        QVERIFY(host->start());
    }
    Form1 &window() const { return *host->mainWindow(); }
    const DrawState &state() const { return window().engine().state(); }
    void killAndResume()
    {
        host.reset();
        fixture.notifier.resumeChoice = Notifier::ResumeChoice::Resume;
        start();
    }
    // The journal's last line cut in half, as a power cut in the middle of its write.
    void tearLastLine()
    {
        QByteArray journal = fixture.readFile(JournalName);
        const qsizetype lastStart = journal.lastIndexOf("\r\n", journal.size() - 3) + 2;
        journal.truncate(lastStart + (journal.size() - lastStart) / 2);
        fixture.writeFile(JournalName, journal);
    }
    void voidLine(int line)
    {
        fixture.notifier.confirmAnswer = true;
        QPlainTextEdit *log = window().controls().T1;
        QTextCursor cursor(log->document()->findBlockByNumber(line));
        log->setTextCursor(cursor);
        QTest::keyClick(log, Qt::Key_Delete);
    }
    QByteArray report()
    {
        window().controls().sava->click();
        return fixture.readFile(QStringLiteral("获奖名单.txt"));
    }
    // The journal's lines without what differs between two folders and two moments (times,
    // checks, chain values and codes, the list's path) and between a press of several and
    // stops one by one (a winner's place in its press).
    QStringList journalEvents() const
    {
        QStringList events;
        for (const QString &line :
             decodeText(fixture.readFile(JournalName)).split(QStringLiteral("\r\n"))) {
            QStringList fields = line.split(u'\t');
            if (fields.size() < 2)
                continue;
            // A torn line's half depends on the length of the line it was.
            if (!line.contains(QStringLiteral("\t校验=")))
                continue;
            fields.removeFirst();
            fields.removeIf([](const QString &field) {
                for (const char *key : {"校验=", "链=", "链码=", "名单=", "中奖行=", "本次="})
                    if (field.startsWith(QString::fromUtf8(key)))
                        return true;
                return false;
            });
            events << fields.join(u'\t');
        }
        return events;
    }
};

// How many standing winners each press shows together, oldest press first.
inline QList<int> pressSizes(const DrawState &state)
{
    QList<int> sizes;
    qsizetype press = -1;
    for (const DrawnWinner &winner : state.winners) {
        if (winner.voided)
            continue;
        if (winner.press != press)
            sizes << 0;
        ++sizes.last();
        press = winner.press;
    }
    return sizes;
}

inline QList<double> scriptedValues(int count)
{
    QList<double> values;
    quint32 x = 2463534242u;
    for (int i = 0; i < count; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        values << double(x) / 4294967296.0;
    }
    return values;
}
