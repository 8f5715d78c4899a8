#include "tst_closing.h"

#include "appfixture.h"
#include "form1.h"
#include "journalwindow.h"
#include "programhost.h"
#include "reportkeeping.h"
#include "textcodec.h"

#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Choice = Notifier::FailedWriteChoice;

const QString ReportName = QStringLiteral("获奖名单.txt");
const QString SheetName = QStringLiteral("抽奖核对单.txt");

// The folder the operator picks in the chooser.
enum class Chosen { Nothing, Writable, Blocked };

} // namespace

void TestClosing::closingInAFolderThatCannotBeWritten_data()
{
    QTest::addColumn<bool>("journalBlocked");
    QTest::addColumn<QList<Choice>>("choices");
    QTest::addColumn<Chosen>("chosen");
    // What the message at the end says, or nothing when there is none.
    QTest::addColumn<QString>("endMessage");

    QTest::newRow("only the report blocked, closed without it: the journal holds the draw")
        << false << QList<Choice>{Choice::CloseWithoutReport} << Chosen::Nothing << QString();
    QTest::newRow("report and journal blocked, closed without the report: said plainly")
        << true << QList<Choice>{Choice::CloseWithoutReport} << Chosen::Nothing
        << QStringLiteral("获奖名单也没有保存：这些结果没有留在任何文件里。");
    QTest::newRow("report and journal blocked, saved in a chosen folder")
        << true << QList<Choice>{Choice::SaveElsewhere} << Chosen::Writable
        << QStringLiteral("请以获奖名单 %1 为准。");
    QTest::newRow("chooser cancelled, then closed without the report")
        << true << QList<Choice>{Choice::SaveElsewhere, Choice::CloseWithoutReport}
        << Chosen::Nothing << QStringLiteral("获奖名单也没有保存");
    QTest::newRow("the chosen folder cannot be written either, then closed without")
        << true << QList<Choice>{Choice::SaveElsewhere, Choice::CloseWithoutReport}
        << Chosen::Blocked << QStringLiteral("获奖名单也没有保存");
}

void TestClosing::closingInAFolderThatCannotBeWritten()
{
    QFETCH(bool, journalBlocked);
    QFETCH(QList<Choice>, choices);
    QFETCH(Chosen, chosen);
    QFETCH(QString, endMessage);

    AppFixture fixture;
    fixture.writeCandidates({QStringLiteral("Anna"), QStringLiteral("Bob")});
    // A folder where a file should be fails every write, whoever runs the tests.
    const QDir folder(fixture.directory.path());
    QVERIFY(folder.mkdir(ReportName));
    if (journalBlocked)
        QVERIFY(folder.mkdir(JournalName));
    QTemporaryDir elsewhere;
    QVERIFY(elsewhere.isValid());
    if (chosen == Chosen::Blocked)
        QVERIFY(QDir(elsewhere.path()).mkdir(ReportName));
    auto &notifier = fixture.notifier;
    if (chosen != Chosen::Nothing)
        notifier.chosenFolder = QDir::toNativeSeparators(elsewhere.path());
    notifier.scriptedChoices = choices;

    ProgramHost host(notifier, fixture.random, fixture.programDirectory());
    QSignalSpy ended(&host, &ProgramHost::programEnded);
    QVERIFY(host.start());
    drawOne(*host.mainWindow());
    const qsizetype before = notifier.messages.size();
    QTest::mouseClick(host.mainWindow()->controls().Exit, Qt::LeftButton);
    QCOMPARE(ended.size(), 1);
    QVERIFY(notifier.scriptedChoices.isEmpty());

    const QList<RecordingNotifier::Message> said = notifier.messages.mid(before);
    QStringList texts;
    for (const auto &message : said)
        texts << message.text;
    // The first question names the report it could not write and offers another folder;
    // with the journal blocked too, it says that nothing would be left.
    QCOMPARE(said.first().icon, Notifier::Icon::Question);
    QVERIFY2(said.first().text.contains(fixture.path(ReportName)), qPrintable(said.first().text));
    QVERIFY(said.first().text.contains(SaveElsewhereCaption));
    QCOMPARE(said.first().text.contains(QStringLiteral("不会留在任何文件里")), journalBlocked);
    if (choices.first() == Choice::SaveElsewhere) {
        // The chooser opens on the Desktop.
        QCOMPARE(said.at(1).text,
                 QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    }

    const QString savedReport =
        QDir::toNativeSeparators(QDir(elsewhere.path()).filePath(ReportName));
    const bool saved = chosen == Chosen::Writable;
    QCOMPARE(QFileInfo(savedReport).isFile(), saved);
    if (saved) {
        QFile report(savedReport);
        QVERIFY(report.open(QIODevice::ReadOnly));
        QVERIFY(report.readAll().contains(encodeText(QStringLiteral("3等奖:"))));
        QVERIFY(QFileInfo::exists(QDir(elsewhere.path()).filePath(SheetName)));
        QVERIFY(texts.contains(QStringLiteral("获奖数据已保存在") + savedReport));
    }
    if (chosen == Chosen::Blocked)
        QVERIFY2(texts.filter(savedReport).size() == 1, qPrintable(texts.join(u'\n')));

    if (endMessage.isEmpty()) {
        QVERIFY2(texts.filter(QStringLiteral("仍有")).isEmpty(), qPrintable(texts.join(u'\n')));
        return;
    }
    // The last word names the report only when it was written.
    const QString last = said.last().text;
    QCOMPARE(said.last().icon, Notifier::Icon::Warning);
    if (saved)
        endMessage = endMessage.arg(savedReport);
    QVERIFY2(last.contains(endMessage), qPrintable(last));
    QCOMPARE(last.contains(ReportName), saved);
}

void TestClosing::fullerReportIsKeptBesideAnEmptierOne_data()
{
    QTest::addColumn<int>("winnersBefore");
    QTest::addColumn<int>("winnersNow");
    QTest::addColumn<bool>("kept");
    QTest::newRow("an empty evening after a full one keeps the full report") << 2 << 0 << true;
    QTest::newRow("fewer winners than the report lists keep it") << 2 << 1 << true;
    QTest::newRow("as many winners replace it") << 1 << 1 << false;
    QTest::newRow("more winners replace it") << 1 << 2 << false;
}

void TestClosing::fullerReportIsKeptBesideAnEmptierOne()
{
    QFETCH(int, winnersBefore);
    QFETCH(int, winnersNow);
    QFETCH(bool, kept);

    AppFixture fixture;
    fixture.writeCandidates({QStringLiteral("Anna"), QStringLiteral("Bob"), QStringLiteral("Carl"),
                             QStringLiteral("Dora")});
    fixture.writeSettings(QStringLiteral("年会"), {QStringLiteral("4"), QStringLiteral("0"),
                                                   QStringLiteral("0"), QStringLiteral("0")});
    const auto evening = [&fixture](int winners) {
        auto window = fixture.openMainWindow();
        for (int i = 0; i < winners; ++i)
            drawOne(*window);
        QTest::mouseClick(window->controls().sava, Qt::LeftButton);
    };
    evening(winnersBefore);
    const QByteArray fullReport = fixture.readFile(ReportName);
    const QByteArray fullSheet = fixture.readFile(SheetName);
    evening(winnersNow);

    const QDir folder(fixture.directory.path());
    const QStringList keptReports =
        folder.entryList({QStringLiteral("获奖名单（上一份，*）.txt")}, QDir::Files);
    const QStringList keptSheets =
        folder.entryList({QStringLiteral("抽奖核对单（上一份，*）.txt")}, QDir::Files);
    QCOMPARE(keptReports.size(), kept ? 1 : 0);
    QCOMPARE(keptSheets.size(), kept ? 1 : 0);
    QCOMPARE(reportWinnerCount(fixture.readFile(ReportName)), winnersNow);
    const QString message = fixture.notifier.messages.last().text;
    QVERIFY2(message.startsWith(QStringLiteral("获奖数据已保存在")), qPrintable(message));
    if (!kept) {
        QVERIFY2(!message.contains(QStringLiteral("上一份")), qPrintable(message));
        return;
    }
    QCOMPARE(fixture.readFile(keptReports.first()), fullReport);
    QCOMPARE(fixture.readFile(keptSheets.first()), fullSheet);
    QVERIFY2(message.contains(QStringLiteral("列有 %1 名中奖者").arg(winnersBefore)),
             qPrintable(message));
    QVERIFY2(message.contains(keptReports.first()), qPrintable(message));
}
