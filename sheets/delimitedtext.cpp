// Delimited text (CSV, tab- or semicolon-separated) split into a table as a spreadsheet
// program opens it, its separator guessed when none is declared.
#include "listsource.h"

#include <QHash>

#include <algorithm>

namespace {

// Where a quoted field ends, or text.size() when its quote never closes.
struct Scanner {
    QStringView text;
    QChar separator;

    // Counts the separators of the record that starts at `at` and moves `at` past it.
    int countRecord(qsizetype &at) const
    {
        int count = 0;
        bool fieldStart = true;
        while (at < text.size()) {
            const QChar c = text[at];
            if (c == u'"' && fieldStart) {
                at = closingQuote(at + 1);
                fieldStart = false;
                continue;
            }
            ++at;
            if (c == u'\n' || c == u'\r') {
                if (c == u'\r' && at < text.size() && text[at] == u'\n')
                    ++at;
                return count;
            }
            fieldStart = !separator.isNull() && c == separator;
            if (fieldStart)
                ++count;
        }
        return count;
    }

    // The index after a quoted field's closing quote ("" inside is a quote).
    qsizetype closingQuote(qsizetype at) const
    {
        while (at < text.size()) {
            if (text[at] == u'"') {
                if (at + 1 < text.size() && text[at + 1] == u'"') {
                    at += 2;
                    continue;
                }
                return at + 1;
            }
            ++at;
        }
        return at;
    }
};

QChar detectSeparator(QStringView text)
{
    constexpr int Records = 200;
    QChar best;
    qsizetype bestScore = 0;
    // On a tie the earlier wins: tab (what Excel's "Unicode text" uses), semicolon (a CSV
    // of a European Excel), comma.
    for (QChar separator : {QChar(u'\t'), QChar(u';'), QChar(u',')}) {
        const Scanner scanner{text, separator};
        QHash<int, qsizetype> frequency;
        qsizetype records = 0;
        qsizetype with = 0;
        for (qsizetype at = 0; at < text.size() && records < Records;) {
            const qsizetype start = at;
            const int count = scanner.countRecord(at);
            if (at - start <= 2 && count == 0 && text.sliced(start, at - start).trimmed().isEmpty())
                continue; // an empty line says nothing
            ++records;
            if (count > 0) {
                ++with;
                ++frequency[count];
            }
        }
        // A separator that stands in fewer than half of the lines is part of some names.
        if (with * 2 < records || with == 0)
            continue;
        qsizetype score = 0;
        for (qsizetype f : frequency)
            score = std::max(score, f);
        if (score > bestScore) {
            bestScore = score;
            best = separator;
        }
    }
    return best;
}

} // namespace

DelimitedText parseDelimitedText(QStringView text, const ReadProgress &progress, bool *cancelled)
{
    DelimitedText result;
    if (cancelled)
        *cancelled = false;
    // Excel's own hint of the separator, "sep=;", on a line of its own at the start.
    const auto usable = [](QChar c) {
        return !c.isNull() && c != u'\r' && c != u'\n' && c != u'"';
    };
    if (text.startsWith(u"sep=") && text.size() >= 5 && usable(text[4]) &&
        (text.size() == 5 || text[5] == u'\r' || text[5] == u'\n')) {
        result.separator = text[4];
        qsizetype skip = 5;
        if (skip < text.size() && text[skip] == u'\r')
            ++skip;
        if (skip < text.size() && text[skip] == u'\n')
            ++skip;
        text = text.sliced(skip);
    } else {
        result.separator = detectSeparator(text);
    }
    const QChar separator = result.separator;
    const bool separated = !separator.isNull();
    SheetTable &table = result.table;

    QString field;
    qsizetype row = 0;
    int column = 0;
    qsizetype sinceProgress = 0;
    const auto endField = [&] {
        table.setText(row, column, cellText(field));
        field.clear();
    };
    qsizetype at = 0;
    const qsizetype size = text.size();
    while (at < size) {
        // One field.
        if (text[at] == u'"') {
            ++at;
            while (at < size) {
                if (text[at] == u'"') {
                    if (at + 1 < size && text[at + 1] == u'"') {
                        field += u'"';
                        at += 2;
                        continue;
                    }
                    ++at;
                    break;
                }
                field += text[at++];
            }
        }
        while (at < size && (!separated || text[at] != separator) && text[at] != u'\n' &&
               text[at] != u'\r')
            field += text[at++];
        endField();
        if (at < size && separated && text[at] == separator) {
            ++at;
            ++column;
            if (at == size)
                endField();
            continue;
        }
        // A line end, or the end of the text.
        if (at < size && text[at] == u'\r')
            ++at;
        if (at < size && text[at] == u'\n')
            ++at;
        ++row;
        column = 0;
        if (++sinceProgress == 65536) {
            sinceProgress = 0;
            if (progress && !progress(at, size)) {
                if (cancelled)
                    *cancelled = true;
                return {};
            }
        }
    }
    return result;
}
