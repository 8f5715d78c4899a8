#include "tst_voidwinner.h"

#include "journalline.h"
#include "messageboxnotifier.h"
#include "programhost.h"
#include "stageview.h"
#include "textcodec.h"
#include "webaddress.h"
#include "winnervoid.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

namespace {

const QString JournalName = QStringLiteral("抽奖日志.txt");
const QString ReportName = QStringLiteral("获奖名单.txt");

void drawOne(Form1 &window)
{
    QTest::keyClick(window.controls().T1, Qt::Key_Space);
    window.tick();
    QTest::keyClick(window.controls().T1, Qt::Key_Space);
}

void putCaretOnLine(Form1 &window, int line)
{
    QPlainTextEdit *log = window.controls().T1;
    log->setTextCursor(QTextCursor(log->document()->findBlockByNumber(line)));
}

// The lines of the log box as it shows them, and the enabled tiers.
QString shownLog(const Form1 &window)
{
    QStringList lines;
    for (QTextBlock b = window.controls().T1->document()->begin(); b.isValid(); b = b.next())
        lines << b.text();
    return lines.join(u'\n');
}

QString enabledTiers(const Form1 &window)
{
    QString enabled;
    for (QPushButton *button : window.controls().tierButtons)
        enabled += button->isEnabled() ? u'1' : u'0';
    return enabled;
}

// The report as it has always been, written out here so that its bytes are pinned.
QByteArray plainReport(const QString &log, const QString &status)
{
    return encodeText(
        log + u"\r\n"_qs + QString(48, u'-') + u"\r\n"_qs + status + u"\r\n\r\n欢迎访问"_qs +
        WebAddress +
        u"\r\n\r\nprizedraw 现场抽奖：名单随机滚动，按下即停，结果当场公布并存档。\r\n"_qs);
}

} // namespace

void TestVoidWinner::init()
{
    fixture_.emplace();
    fixture_->writeSettings(u"年会"_qs, {u"2"_qs, u"1"_qs, u"1"_qs, u"1"_qs});
    fixture_->writeCandidates({u"Anna"_qs, u"Bob"_qs, u"Carl"_qs, u"Dora"_qs, u"Emil"_qs});
}

void TestVoidWinner::cleanup()
{
    fixture_.reset();
}

QStringList TestVoidWinner::journalLines() const
{
    QStringList lines;
    for (const QByteArray &line : fixture_->readFile(JournalName).split('\n')) {
        if (const auto fields = parseJournalLine(line.chopped(line.endsWith('\r') ? 1 : 0)))
            lines << fields->mid(1).join(u'\t');
    }
    return lines;
}

// {name} in `text` becomes the check of that winner's journal line, which a void names.
QString TestVoidWinner::withLineChecks(QString text) const
{
    for (const QByteArray &line : fixture_->readFile(JournalName).split('\n')) {
        const auto fields = parseJournalLine(line.chopped(line.endsWith('\r') ? 1 : 0));
        if (fields && fields->size() > 3 && fields->at(1) == u"中奖"_qs)
            text.replace(u'{' + fields->at(3) + u'}',
                         QString::fromLatin1(journalLineCheck(fields->first(), fields->mid(1))));
    }
    return text;
}

// The usual case: the newest winner is absent, the place is drawn again. After each step
// the window, the journal's last line and the report's bytes.
void TestVoidWinner::voidTheNewestThenDrawAgain()
{
    auto window = fixture_->openMainWindow();
    for (int i = 0; i < 3; ++i)
        drawOne(*window); // Anna and Bob fill the third prize, Carl the second
    fixture_->notifier.confirmAnswer = true;

    struct Step {
        const char *name;
        std::function<void()> act;
        QString log;
        QString counts;
        QString enabled;
        QString journal;
        QString voided;
    };
    const QList<Step> steps{
        {"three drawn", [] {}, u"2等奖:Carl\r\n3等奖:Bob\r\n3等奖:Anna\r\n"_qs, u"2名，2等奖1名"_qs,
         u"0011"_qs, u"中奖\t2等奖:\tCarl\t抽前=3\t抽后=2"_qs, QString()},
        {"Carl voided", [&] { QTest::keyClick(window->controls().T1, Qt::Key_Delete); },
         u"3等奖:Bob\r\n3等奖:Anna\r\n"_qs, u"2名，2等奖0名"_qs, u"0111"_qs,
         u"作废\t2等奖:\tCarl\t中奖行={Carl}\t已抽取=2,0,0,0"_qs, u"2等奖:Carl\r\n"_qs},
        {"the place drawn again, Carl out of the pool", [&] { drawOne(*window); },
         u"2等奖:Dora\r\n3等奖:Bob\r\n3等奖:Anna\r\n"_qs, u"2名，2等奖1名"_qs, u"0011"_qs,
         u"中奖\t2等奖:\tDora\t抽前=2\t抽后=1"_qs, u"2等奖:Carl\r\n"_qs},
    };
    for (const Step &step : steps) {
        step.act();
        QTest::mouseClick(window->controls().sava, Qt::LeftButton);
        const QString status = u"已抽取：3等奖"_qs + step.counts + u"，1等奖0名，特等奖0名"_qs;
        QString shown = step.log;
        QCOMPARE(shownLog(*window), shown.replace(u"\r\n"_qs, u"\n"_qs));
        QCOMPARE(window->controls().Text2->toPlainText(), QString(10, u' ') + status);
        QCOMPARE(enabledTiers(*window), step.enabled);
        QCOMPARE(journalLines().at(journalLines().size() - 2),
                 withLineChecks(step.journal)); // then the report
        QByteArray report = plainReport(step.log, status);
        if (!step.voided.isEmpty())
            report += encodeText(u"\r\n作废（未到场）：\r\n"_qs + step.voided);
        QVERIFY2(fixture_->readFile(ReportName) == report, step.name);
    }
    QStringList questions;
    for (const RecordingNotifier::Message &message : fixture_->notifier.messages)
        if (message.icon == Notifier::Icon::Question)
            questions << message.title + u'|' + message.text;
    QCOMPARE(questions,
             QStringList{u"提示|作废 2等奖:Carl？名额退回，可以重新抽取；Carl不会再被抽中。"_qs});
}

void TestVoidWinner::voidTheLineAtTheCaret_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("way"); // Delete in the log, its menu, or Delete on the stage
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("rolling");
    QTest::addColumn<QString>("log"); // after the attempt
    QTest::addColumn<QString>("journal");
    QTest::addColumn<QString>("message"); // the refusal, or empty when asked

    const QString all = u"3等奖:Carl\r\n3等奖:Bo\u2029b\r\n3等奖:Anna\r\n"_qs;
    const QString asked;
    const int key = 0, menu = 1, stage = 2;
    QTest::newRow("Delete on the newest line")
        << 0 << key << true << false << u"3等奖:Bo\u2029b\r\n3等奖:Anna\r\n"_qs
        << u"作废\t3等奖:\tCarl\t中奖行={Carl}\t已抽取=2,0,0,0"_qs << asked;
    QTest::newRow("menu item on a line in the middle")
        << 1 << menu << true << false << u"3等奖:Carl\r\n3等奖:Anna\r\n"_qs
        << u"作废\t3等奖:\tBo\u2029b\t中奖行={Bo\u2029b}\t已抽取=2,0,0,0"_qs << asked;
    QTest::newRow("Delete on the oldest line, below a name that holds a paragraph separator")
        << 2 << key << true << false << u"3等奖:Carl\r\n3等奖:Bo\u2029b\r\n"_qs
        << u"作废\t3等奖:\tAnna\t中奖行={Anna}\t已抽取=2,0,0,0"_qs << asked;
    QTest::newRow("Cancel changes nothing")
        << 0 << key << false << false << all << QString() << asked;
    QTest::newRow("refused on the empty line below the last")
        << 3 << key << true << false << all << QString() << voidOnEmptyLineText();
    QTest::newRow("refused by the menu while a tier rolls")
        << 0 << menu << true << true << all << QString() << voidWhileRollingText();
    QTest::newRow("Delete on the stage: the newest, wherever the log's caret stands")
        << 2 << stage << true << false << u"3等奖:Bo\u2029b\r\n3等奖:Anna\r\n"_qs
        << u"作废\t3等奖:\tCarl\t中奖行={Carl}\t已抽取=2,0,0,0"_qs << asked;
    QTest::newRow("Delete on the stage, Cancel")
        << 0 << stage << false << false << all << QString() << asked;
    QTest::newRow("Delete on the stage refused while a tier rolls")
        << 0 << stage << true << true << all << QString() << voidWhileRollingText();
}

// Every way to the line at the caret, and every answer: only OK on a winner's line
// changes the log, the counter, the journal and the pool.
void TestVoidWinner::voidTheLineAtTheCaret()
{
    QFETCH(int, line);
    QFETCH(int, way);
    QFETCH(bool, answer);
    QFETCH(bool, rolling);
    QFETCH(QString, log);
    QFETCH(QString, journal);
    QFETCH(QString, message);

    fixture_->writeSettings(u"年会"_qs, {u"5"_qs, u"1"_qs, u"1"_qs, u"1"_qs});
    fixture_->writeCandidates({u"Anna"_qs, u"Bo\u2029b"_qs, u"Carl"_qs, u"Dora"_qs});
    auto window = fixture_->openMainWindow();
    for (int i = 0; i < 3; ++i)
        drawOne(*window);
    if (rolling)
        QTest::mouseClick(window->controls().tierButtons[1], Qt::LeftButton);
    const QStringList journalBefore = journalLines();
    fixture_->notifier.confirmAnswer = answer;
    putCaretOnLine(*window, line);
    if (way == 2) {
        QTest::keyClick(window->controls().T1, Qt::Key_F5);
        QVERIFY(window->stageView() && window->stageView()->isVisible());
        QTest::keyClick(window->stageView(), Qt::Key_Delete);
    } else if (way == 1) {
        // The log's menu: the void first, then the import of a list (tst_import.cpp) and
        // the winners per press (tst_batchdraw.cpp).
        const QList<QAction *> actions = window->controls().T1->actions();
        QCOMPARE(actions.size(), 3);
        QCOMPARE(actions.first()->text(), u"作废（未到场）"_qs);
        actions.first()->trigger();
    } else {
        QTest::keyClick(window->controls().T1, Qt::Key_Delete);
    }

    const DrawState &state = window->engine().state();
    QCOMPARE(state.log, log);
    QString shown = log;
    shown.replace(u"\r\n"_qs, u"\n"_qs).replace(QChar::ParagraphSeparator, QChar::LineSeparator);
    QCOMPARE(shownLog(*window), shown);
    const bool voided = !journal.isEmpty();
    QCOMPARE(state.drawnCount[0], voided ? 2 : 3);
    QCOMPARE(journalLines(),
             voided ? journalBefore + QStringList{withLineChecks(journal)} : journalBefore);
    QCOMPARE(state.candidates.names(), QStringList{u"Dora"_qs});
    const auto &messages = fixture_->notifier.messages;
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().icon,
             message.isEmpty() ? Notifier::Icon::Question : Notifier::Icon::Information);
    QCOMPARE(messages.first().title, u"提示"_qs);
    if (!message.isEmpty())
        QCOMPARE(messages.first().text, message);
}

void TestVoidWinner::questionBoxAnswers_data()
{
    QTest::addColumn<bool>("typedWinner"); // the question before a typed winner is recorded
    QTest::addColumn<int>("key");          // 0 for the close box, Tab to click "记录"
    QTest::addColumn<bool>("yes");
    for (bool typed : {false, true}) {
        const QByteArray box = typed ? "typed winner: " : "void: ";
        // Voiding is what the operator set out to do; recording a typed text is not.
        QTest::newRow(box + "Enter") << typed << int(Qt::Key_Return) << !typed;
        QTest::newRow(box + "Esc") << typed << int(Qt::Key_Escape) << false;
        QTest::newRow(box + "close box") << typed << 0 << false;
        QTest::newRow(box + "Space, the draw's key, answers nothing")
            << typed << int(Qt::Key_Space) << false;
    }
    QTest::newRow("typed winner: 记录 clicked") << true << int(Qt::Key_Tab) << true;
}

// The real question boxes: Enter confirms a void but leaves a typed text unrecorded; Esc
// and the close box say no; Space is left unanswered (then Esc closes the box).
void TestVoidWinner::questionBoxAnswers()
{
    QFETCH(bool, typedWinner);
    QFETCH(int, key);
    QFETCH(bool, yes);
    QTimer::singleShot(0, [key] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (key == 0) {
            box->close();
            return;
        }
        if (key == Qt::Key_Tab) {
            for (QAbstractButton *button : box->buttons())
                if (button->text() == u"记录"_qs)
                    button->click();
            return;
        }
        // As the keyboard does: to the focused button, the default one.
        QWidget *focused = box->focusWidget() ? box->focusWidget() : box;
        QTest::keyClick(focused, Qt::Key(key));
        if (box->isVisible())
            QTest::keyClick(focused, Qt::Key_Escape);
    });
    MessageBoxNotifier notifier;
    QCOMPARE(typedWinner ? notifier.askRecordAnyway(u"提示"_qs, u"?"_qs)
                         : notifier.confirm(u"提示"_qs, u"?"_qs),
             yes);
}

// A run killed after a void: the next start resumes without the voided line, keeps the
// person out of the pool, and a second resume reads the first one's block back alike.
void TestVoidWinner::killedRunResumesWithTheVoid()
{
    QProcess child;
    child.start(QStringLiteral(JOURNAL_CHILD), {fixture_->programDirectory(), u"3"_qs, u"void"_qs});
    QStringList said;
    while (!said.contains(u"recorded"_qs) && child.waitForReadyRead(20000))
        while (child.canReadLine())
            said << QString::fromUtf8(child.readLine()).trimmed();
    QCOMPARE(said.size(), 4);
    child.kill();
    QVERIFY(child.waitForFinished());
    QStringList before;
    for (int i = 0; i < 3; ++i)
        before << QString::fromUtf8(QByteArray::fromBase64(said[i].toLatin1()));
    // Carl was voided, Dora drew his place.
    QCOMPARE(before.first(), u"2等奖:Dora\n3等奖:Bob\n3等奖:Anna\n"_qs);

    auto &notifier = fixture_->notifier;
    notifier.resumeChoice = Notifier::ResumeChoice::Resume;
    for (int run = 0; run < 2; ++run) {
        notifier.messages.clear();
        ProgramHost host(notifier, fixture_->random, fixture_->programDirectory());
        QVERIFY(host.start());
        QVERIFY(
            notifier.messages.first().text.contains(u"3 名中奖者（另有 1 名不在场，已作废）"_qs));
        const Form1 &window = *host.mainWindow();
        QCOMPARE(window.controls().T1->toPlainText(), before[0]);
        QCOMPARE(window.controls().Text2->toPlainText(), before[1]);
        QCOMPARE(enabledTiers(window), QString(before[2]).remove(u','));
        QCOMPARE(window.engine().state().candidates.names(), QStringList{u"Emil"_qs});
        QCOMPARE(window.engine().state().voidedLines, QStringList{u"2等奖:Carl\r\n"_qs});
        // Each resume carries the codes the winners were drawn with: the second the same.
        QStringList resumed = journalLines().filter(
            QRegularExpression(u"^续接\t人数=4\t作废=1\t链码=[0-9a-f]{12}(,[0-9a-f]{12}){3}$"_qs));
        QCOMPARE(resumed.size(), run + 1);
        QCOMPARE(resumed.removeDuplicates(), run);
        // The stage shows the newest winner's code and the evening's head at once, not
        // only after the next result.
        const DrawProof proof = window.drawProof();
        QCOMPARE(proof.resultCode, resumed.first().section(u'=', 3).section(u',', -1));
        const QStringList results = decodeText(fixture_->readFile(JournalName))
                                        .split(u"\r\n"_qs)
                                        .filter(QRegularExpression(u"\t(中奖|作废)\t"_qs));
        QVERIFY2(!proof.chainHead.isEmpty() &&
                     results.last().endsWith(u"\t链="_qs + proof.chainHead),
                 qPrintable(proof.chainHead));
    }
}
