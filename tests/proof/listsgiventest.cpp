// An evening that changed its list half-way (an import after some winners): each draw is
// replayed on the list it ran on when the earlier lists are given too, and only then.
#include "tst_proof.h"

#include "drawverifier.h"
#include "journalsurgery.h"
#include "programhost.h"

#include <QDir>
#include <QPushButton>
#include <QTest>

#include <memory>

void TestProof::earlierListsAreGiven_data()
{
    QTest::addColumn<QStringList>("earlier"); // lists given after the newest
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("firstDrawList"); // VerifiedDraw::List of the first draw
    QTest::newRow("the newest list alone: the first draw not checked")
        << QStringList{} << 1 << int(VerifiedDraw::List::Other);
    QTest::newRow("the list before the import given too")
        << QStringList{u"导入前.txt"_qs} << 0 << int(VerifiedDraw::List::Given);
    QTest::newRow("an unrelated list given instead")
        << QStringList{u"别的.txt"_qs} << 1 << int(VerifiedDraw::List::Other);
    QTest::newRow("the earlier list saved again as UTF-8")
        << QStringList{u"导入前-utf8.txt"_qs} << 0 << int(VerifiedDraw::List::Given);
}

void TestProof::earlierListsAreGiven()
{
    QFETCH(QStringList, earlier);
    QFETCH(int, status);
    QFETCH(int, firstDrawList);
    AppFixture fixture;
    fixture.writeSettings(u"年会"_qs, {u"2"_qs, u"0"_qs, u"0"_qs, u"1"_qs});
    fixture.writeCandidates({u"Anna"_qs, u"Bob"_qs, u"王伟"_qs});
    fixture.writeFile(u"导入前.txt"_qs, fixture.readFile(ListName));
    fixture.writeFile(u"导入前-utf8.txt"_qs, "Anna\nBob\n\xe7\x8e\x8b\xe4\xbc\x9f\n");
    fixture.writeFile(u"别的.txt"_qs, "Anna\r\nBob\r\n");
    {
        ProgramHost host(fixture.notifier, fixture.random, fixture.programDirectory());
        QVERIFY(host.start());
        drawOne(*host.mainWindow());
        // The new list, then the reset that an import ends with.
        fixture.writeCandidates({u"Carl"_qs, u"Dora"_qs, u"Emil"_qs});
        QTest::mouseClick(host.mainWindow()->controls().Format, Qt::LeftButton);
        drawOne(*host.mainWindow());
        QTest::mouseClick(host.mainWindow()->controls().Exit, Qt::LeftButton);
    }
    const QDir folder(fixture.programDirectory());
    QStringList paths;
    for (const QString &name : earlier)
        paths << folder.filePath(name);
    const Verification verified =
        verifyDraw(folder.filePath(JournalName), folder.filePath(ListName), {}, paths);
    const QString text = verificationText(verified);
    QVERIFY2(verified.exitStatus() == status, qPrintable(text.right(1500)));
    QCOMPARE(verified.draws.size(), 2);
    QCOMPARE(int(verified.draws[0].list), firstDrawList);
    QCOMPARE(verified.draws[0].replayed, status == 0);
    QCOMPARE(verified.draws[1].list, VerifiedDraw::List::Same);
    QVERIFY(verified.draws[1].replayed);
    QCOMPARE(verified.otherLists.size(), earlier.size());
    if (status == 0) {
        // The verdict names the list each draw ran on.
        QVERIFY2(verified.draws[0].listNote.contains(paths.first()), qPrintable(text));
        QVERIFY2(text.contains(u"另给的名单："_qs + paths.first()), qPrintable(text));
        QVERIFY2(text.contains(u"用的都是给出的名单"_qs), qPrintable(text));
    } else {
        QCOMPARE(verified.faults.first().kind, FaultKind::DrawNotChecked);
        QVERIFY2(verified.faults.first().text.contains(u"旧名单"_qs), qPrintable(text));
    }
}
