#include "tst_proof.h"

#include "drawverifier.h"
#include "journal.h"
#include "journalline.h"
#include "journalsurgery.h"
#include "programhost.h"
#include "resultsheet.h"
#include "textcodec.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <memory>

namespace {

enum class Cheat {
    None,
    ByteOfOldWinner,
    LineDeleted,
    LinesSwapped,
    ForgedWinner,
    ForgedWinnerChained,
    ForgedWinnerUnchained,
    WinnersSwappedAndRechained,
    ListNameChanged,
    TypedWinner,
    NotInPoolRechained,
    FullTierRechained,
    CountsRechained,
    VoidOfNoOneRechained,
    PowerCutAtTheEnd,
    ResavedAsUtf8,
};

} // namespace

void TestProof::initTestCase()
{
    const QStringList names{u"Anna"_qs, u"Bob"_qs,    u"王伟"_qs, u"Carl"_qs,
                            u"anna"_qs, u"王伟东"_qs, u"Dora"_qs, u"Emil"_qs,
                            u"Fay"_qs,  u"Gus"_qs,    u"Hana"_qs, u"Ivo"_qs};
    {
        AppFixture fixture;
        fixture.writeSettings(u"年会"_qs, {u"3"_qs, u"2"_qs, u"1"_qs, u"1"_qs});
        fixture.writeCandidates(names);
        ProgramHost host(fixture.notifier, fixture.random, fixture.programDirectory());
        QVERIFY(host.start());
        Form1 &window = *host.mainWindow();
        // Each roll shows the pool's first name: Anna (anna leaves with her), Bob, 王伟
        // (王伟东 with him) fill the third prize; Carl, voided, then Dora and Emil the second.
        for (int i = 0; i < 4; ++i)
            drawOne(window);
        fixture.notifier.confirmAnswer = true;
        QTest::keyClick(window.controls().T1, Qt::Key_Delete);
        for (int i = 0; i < 4; ++i)
            drawOne(window);
        QCOMPARE(window.engine().state().drawnCount, (std::array<qint32, 4>{3, 2, 1, 1}));
        QTest::mouseClick(window.controls().Exit, Qt::LeftButton);
        journal_ = fixture.readFile(JournalName);
        list_ = fixture.readFile(ListName);
    }
    AppFixture fixture;
    fixture.writeSettings(u"年会"_qs, {u"3"_qs, u"2"_qs, u"1"_qs, u"1"_qs});
    fixture.writeCandidates(names);
    ProgramHost host(fixture.notifier, fixture.random, fixture.programDirectory());
    QVERIFY(host.start());
    Form1 &window = *host.mainWindow();
    drawOne(window);
    // The operator types a name over the roll and confirms it.
    QTest::keyClick(window.controls().T1, Qt::Key_Space);
    window.tick();
    window.controls().Text1->setFocus();
    window.controls().Text1->selectAll();
    QTest::keyClicks(window.controls().Text1, u"Zed"_qs);
    fixture.notifier.recordAnywayAnswer = true;
    QTest::keyClick(window.controls().Text1, Qt::Key_Space);
    QCOMPARE(window.engine().state().winners.size(), 2);
    QTest::mouseClick(window.controls().Exit, Qt::LeftButton);
    typedJournal_ = fixture.readFile(JournalName);

    AppFixture resumed;
    resumed.writeSettings(u"年会"_qs, {u"3"_qs, u"2"_qs, u"1"_qs, u"1"_qs});
    resumed.writeCandidates(names);
    {
        ProgramHost killed(resumed.notifier, resumed.random, resumed.programDirectory());
        QVERIFY(killed.start());
        drawOne(*killed.mainWindow());
        drawOne(*killed.mainWindow());
    }
    resumed.notifier.resumeChoice = Notifier::ResumeChoice::Resume;
    ProgramHost again(resumed.notifier, resumed.random, resumed.programDirectory());
    QVERIFY(again.start());
    drawOne(*again.mainWindow());
    QCOMPARE(again.mainWindow()->engine().state().winners.size(), 3);
    QTest::mouseClick(again.mainWindow()->controls().Exit, Qt::LeftButton);
    resumedJournal_ = resumed.readFile(JournalName);
}

void TestProof::cheatsAreCaught_data()
{
    QTest::addColumn<int>("cheat");
    QTest::addColumn<int>("status"); // the verifier's exit status
    QTest::addColumn<int>("kind");   // of the first fault, -1 for none
    QTest::addColumn<QString>("at"); // its line: a winner's name (+1: the line after), "void"

    const auto row = [](const char *name, Cheat cheat, int status, int kind, const QString &at) {
        QTest::newRow(name) << int(cheat) << status << kind << at;
    };
    row("the journal as written", Cheat::None, 0, -1, {});
    row("one byte of an old winner changed", Cheat::ByteOfOldWinner, 1, int(FaultKind::Changed),
        u"Bob"_qs);
    row("a line deleted", Cheat::LineDeleted, 1, int(FaultKind::RemovedOrChanged), u"王伟"_qs);
    row("two lines swapped", Cheat::LinesSwapped, 1, int(FaultKind::Reordered), u"Anna"_qs);
    row("a forged winner with its own check inserted", Cheat::ForgedWinner, 1,
        int(FaultKind::Inserted), u"Bob+1"_qs);
    row("a forged winner with its own check and chain value inserted", Cheat::ForgedWinnerChained,
        1, int(FaultKind::Inserted), u"Bob+1"_qs);
    row("a forged winner without a chain value inserted", Cheat::ForgedWinnerUnchained, 1,
        int(FaultKind::Unchained), u"Bob+1"_qs);
    // The chain holds, but not up to the head photographed in the hall.
    row("two winners swapped and the whole chain worked out again",
        Cheat::WinnersSwappedAndRechained, 1, int(FaultKind::HeadNotFound), u"0"_qs);
    row("a list with one name changed", Cheat::ListNameChanged, 1, int(FaultKind::NoDrawOnList),
        u"0"_qs);
    row("a typed winner, as the journal marks it", Cheat::TypedWinner, 2, -1, {});
    row("a winner not in the pool, chain worked out again", Cheat::NotInPoolRechained, 1,
        int(FaultKind::NotInPool), u"Gus"_qs);
    row("a winner of a full tier, chain worked out again", Cheat::FullTierRechained, 1,
        int(FaultKind::QuotaFull), u"Gus"_qs);
    row("a pool size changed, chain worked out again", Cheat::CountsRechained, 1,
        int(FaultKind::WrongCounts), u"Fay"_qs);
    row("a void of no winner, chain worked out again", Cheat::VoidOfNoOneRechained, 1,
        int(FaultKind::VoidOfNoWinner), u"void"_qs);
    row("a power cut in the last line", Cheat::PowerCutAtTheEnd, 0, -1, {});
    row("re-saved by an editor as UTF-8", Cheat::ResavedAsUtf8, 0, -1, {});
}

void TestProof::cheatsAreCaught()
{
    QFETCH(int, cheat);
    QFETCH(int, status);
    QFETCH(int, kind);
    QFETCH(QString, at);
    QList<QByteArray> lines = splitJournal(journal_);
    const QList<QByteArray> original = lines;
    const auto winner = [&original](const QString &name) {
        return lineOf(original, JournalEvent::Winner, name);
    };
    const QString head = verifyDrawBytes(journal_, list_).head;
    QByteArray list = list_;
    QString compared;
    const QByteArray forged =
        journalLineBody(u"2026-12-07 20:00:00"_qs, {JournalEvent::Winner, u"3等奖:"_qs,
                                                    u"Mallory"_qs, u"抽前=10"_qs, u"抽后=9"_qs});
    const QByteArray bobsChain = readJournalLine(lines[winner(u"Bob"_qs)])->chain;
    switch (Cheat(cheat)) {
    case Cheat::None:
        break;
    case Cheat::ByteOfOldWinner:
        lines[winner(u"Bob"_qs)].replace("\tBob\t", "\tBop\t");
        break;
    case Cheat::LineDeleted:
        lines.removeAt(winner(u"王伟"_qs));
        break;
    case Cheat::LinesSwapped:
        lines.swapItemsAt(winner(u"Anna"_qs), winner(u"Bob"_qs));
        break;
    case Cheat::ForgedWinner:
        lines.insert(winner(u"Bob"_qs) + 1, chainedJournalLine(forged, bobsChain).chopped(2));
        break;
    case Cheat::ForgedWinnerChained:
        lines.insert(winner(u"Bob"_qs) + 1,
                     chainedJournalLine(forged, journalChainValue(bobsChain, forged)).chopped(2));
        break;
    case Cheat::ForgedWinnerUnchained:
        lines.insert(winner(u"Bob"_qs) + 1, forged);
        break;
    case Cheat::WinnersSwappedAndRechained:
        // Who won which second prize first: the pool's sizes stay right.
        lines[winner(u"Dora"_qs)] =
            withFields(lines[winner(u"Dora"_qs)], [](QStringList &f) { f[2] = u"Emil"_qs; });
        lines[winner(u"Emil"_qs)] =
            withFields(lines[winner(u"Emil"_qs)], [](QStringList &f) { f[2] = u"Dora"_qs; });
        rechain(lines);
        compared = head;
        break;
    case Cheat::ListNameChanged:
        list.replace("Ivo", "Iva");
        break;
    case Cheat::TypedWinner:
        lines = splitJournal(typedJournal_);
        break;
    case Cheat::NotInPoolRechained:
        lines[winner(u"Gus"_qs)] =
            withFields(lines[winner(u"Gus"_qs)], [](QStringList &f) { f[2] = u"Mallory"_qs; });
        rechain(lines);
        break;
    case Cheat::FullTierRechained:
        lines[winner(u"Gus"_qs)] =
            withFields(lines[winner(u"Gus"_qs)], [](QStringList &f) { f[1] = u"3等奖:"_qs; });
        rechain(lines);
        break;
    case Cheat::CountsRechained:
        lines[winner(u"Fay"_qs)] =
            withFields(lines[winner(u"Fay"_qs)], [](QStringList &f) { f[4] = u"抽后=6"_qs; });
        rechain(lines);
        break;
    case Cheat::VoidOfNoOneRechained: {
        const qsizetype voided = lineOf(lines, JournalEvent::Void);
        lines[voided] =
            withFields(lines[voided], [](QStringList &f) { f[3] = u"中奖行=00000000"_qs; });
        rechain(lines);
        break;
    }
    case Cheat::PowerCutAtTheEnd:
        lines.removeLast();
        lines.last().chop(7);
        break;
    case Cheat::ResavedAsUtf8:
        lines = splitJournal("\xEF\xBB\xBF" + decodeText(joinJournal(lines)).toUtf8());
        break;
    }

    const Verification verified = verifyDrawBytes(joinJournal(lines), list, compared);
    const QString text = verificationText(verified);
    QVERIFY2(verified.exitStatus() == status, qPrintable(text));
    if (kind < 0) {
        QVERIFY2(verified.faults.isEmpty(), qPrintable(text));
    } else {
        QVERIFY2(!verified.faults.isEmpty() && int(verified.faults.first().kind) == kind,
                 qPrintable(text));
        qsizetype line = 0;
        if (at == u"void")
            line = lineOf(original, JournalEvent::Void) + 1;
        else if (at != u"0")
            line = winner(QString(at).remove(u"+1"_qs)) + 1 + (at.endsWith(u"+1") ? 1 : 0);
        QCOMPARE(verified.faults.first().line, line);
        // The verdict names the first line at fault.
        if (line > 0)
            QVERIFY2(text.contains(u"第一个问题在第 %1 行"_qs.arg(line)), qPrintable(text));
    }
    if (Cheat(cheat) == Cheat::TypedWinner) {
        QCOMPARE(verified.typedWinners, 1);
        QVERIFY(text.contains(u"3等奖:Zed"_qs) && text.contains(u"手动输入"_qs));
    }
    if (Cheat(cheat) == Cheat::WinnersSwappedAndRechained) {
        // Without the photographed head the forgery passes: only its head shows it.
        const Verification alone = verifyDrawBytes(joinJournal(lines), list);
        QCOMPARE(alone.exitStatus(), 0);
        QVERIFY(alone.head != head);
        QVERIFY(verificationText(alone).contains(u"链头："_qs + alone.head));
    }
}
