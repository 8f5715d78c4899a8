#include "verifierparts.h"

#include "journal.h"
#include "journalline.h"
#include "textcodec.h"

#include <QLocale>

#include <algorithm>

namespace journalcheck {

QString fieldValue(const QStringList &fields, const QString &key)
{
    for (qsizetype i = 2; i < fields.size(); ++i)
        if (fields[i].startsWith(key))
            return fields[i].mid(key.size());
    return {};
}

qsizetype fieldNumber(const QString &field, const QString &key)
{
    if (!field.startsWith(key))
        return -1;
    bool ok = false;
    const qsizetype value = field.mid(key.size()).toLongLong(&ok);
    return ok ? value : -1;
}

std::optional<std::array<qint32, 4>> fourNumbers(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    std::array<qint32, 4> numbers{};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[std::size_t(i)] = parts[i].toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return numbers;
}

QString number(qsizetype value)
{
    return QLocale::c().toString(qlonglong(value));
}

QString lineRef(qsizetype line)
{
    return QStringLiteral("第 %1 行").arg(line);
}

bool isLowerHex(QByteArrayView digits)
{
    return std::all_of(digits.begin(), digits.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// The chain field of a line that is not whole, when one can still be read: a line changed
// after it was written keeps the chain value the next line was chained from.
QByteArray chainFieldOf(QByteArrayView bytes)
{
    static const QByteArray prefix = encodeText(QStringLiteral("链="));
    const qsizetype tab = bytes.lastIndexOf('\t');
    if (tab < 0)
        return {};
    const QByteArrayView tail = bytes.sliced(tab + 1);
    if (!tail.startsWith(prefix))
        return {};
    const QByteArrayView value = tail.sliced(prefix.size());
    return value.size() == JournalChainDigits && isLowerHex(value) ? value.toByteArray()
                                                                   : QByteArray();
}

std::vector<Line> readLines(QByteArray bytes)
{
    if (startsAsUtf16(bytes))
        bytes = encodeText(decodeText(bytes)); // its GB18030 bytes carry the checks
    else if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    std::vector<Line> lines;
    qsizetype start = 0;
    qsizetype number = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf("\r\n", start);
        const bool tail = end < 0;
        if (tail)
            end = bytes.size();
        ++number;
        const QByteArrayView text = QByteArrayView(bytes).sliced(start, end - start);
        start = end + 2;
        if (text.isEmpty())
            continue;
        Line line;
        line.number = number;
        if (std::optional<JournalLine> read = readJournalLine(text);
            read && (!tail || !read->chain.isEmpty())) {
            line.whole = true;
            line.fields = std::move(read->fields);
            line.chain = std::move(read->chain);
            line.body = std::move(read->body);
            line.check = std::move(read->check);
        } else {
            line.leftOut = true;
            line.chainField = chainFieldOf(text);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

} // namespace journalcheck
