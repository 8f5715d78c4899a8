#include "journalsurgery.h"

#include "journalline.h"

#include <QPlainTextEdit>
#include <QTest>

void drawOne(Form1 &window)
{
    QTest::keyClick(window.controls().T1, Qt::Key_Space);
    window.tick();
    QTest::keyClick(window.controls().T1, Qt::Key_Space);
}

QList<QByteArray> splitJournal(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype end; (end = bytes.indexOf("\r\n", start)) >= 0; start = end + 2)
        lines << bytes.sliced(start, end - start);
    lines << bytes.sliced(start);
    return lines;
}

QByteArray joinJournal(const QList<QByteArray> &lines)
{
    return lines.join("\r\n");
}

qsizetype lineOf(const QList<QByteArray> &lines, const QString &event, const QString &name)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const std::optional<JournalLine> line = readJournalLine(lines[i]);
        if (line && line->fields.value(1) == event &&
            (name.isEmpty() || unescapeJournalField(line->fields.value(3)) == name))
            return i;
    }
    qFatal("no %s line of %s", qPrintable(event), qPrintable(name));
}

QByteArray withFields(const QByteArray &bytes, const std::function<void(QStringList &)> &change)
{
    const JournalLine line = *readJournalLine(bytes);
    QStringList fields = line.fields.mid(1);
    change(fields);
    return chainedJournalLine(journalLineBody(line.fields.first(), fields), line.chain).chopped(2);
}

void rechain(QList<QByteArray> &lines)
{
    QByteArray previous;
    for (QByteArray &bytes : lines) {
        const std::optional<JournalLine> line = readJournalLine(bytes);
        if (!line || line->chain.isEmpty())
            continue;
        previous = journalChainValue(previous, line->body);
        bytes = chainedJournalLine(line->body, previous).chopped(2);
    }
}

// What a row expects: the exit status, the kind of the first fault (-1 for none) and its
// line (0 for none or the journal as a whole).
void expect(const Verification &verified, int status, int kind, qsizetype line)
{
    const QString text = verificationText(verified);
    QVERIFY2(verified.exitStatus() == status, qPrintable(text.right(1500)));
    if (kind < 0) {
        QVERIFY2(verified.faults.isEmpty(), qPrintable(text.right(1500)));
        return;
    }
    QVERIFY2(!verified.faults.isEmpty(), qPrintable(text.right(1500)));
    QVERIFY2(int(verified.faults.first().kind) == kind, qPrintable(text.right(1500)));
    QCOMPARE(verified.faults.first().line, line);
    // The verdict never contradicts what it found: its first line says it failed, in words.
    const QString verdict = text.mid(text.lastIndexOf(u"结论："_qs));
    QVERIFY2(verdict.startsWith(u"结论：不通过。经核对，"_qs), qPrintable(verdict));
    QVERIFY(!verdict.contains(u"VERIFIED"_qs));
    if (line > 0)
        QVERIFY2(verdict.contains(u"第一个问题在第 %1 行"_qs.arg(line)), qPrintable(verdict));
}
