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
