// Delimited text (CSV, tab- or semicolon-separated) split into a table as a spreadsheet
// program opens it, its separator guessed when none is declared.
#include "listsource.h"

#include <QHash>

#include "textblocks.h"

#include <algorithm>
#include <limits>

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

// The separator, from the first records; `enough` is false when `text` ended before they
// did (only a part of the file was given, and the records go on).
QChar detectSeparator(QStringView text, bool *enough)
{
    constexpr int Records = 200;
    QChar best;
    qsizetype bestScore = 0;
    *enough = true;
    // On a tie the earlier wins: tab (what Excel's "Unicode text" uses), semicolon (a CSV
    // of a European Excel), comma.
    for (QChar separator : {QChar(u'\t'), QChar(u';'), QChar(u',')}) {
        const Scanner scanner{text, separator};
        QHash<int, qsizetype> frequency;
        qsizetype records = 0;
        qsizetype with = 0;
        qsizetype at = 0;
        while (at < text.size() && records < Records) {
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
        // The last record counted may have been cut off where the text ends.
        if (at >= text.size())
            *enough = false;
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

// Splits text into the table a record at a time. A record that the text ends inside of
// waits for more text, unless the text is all there is.
class Parser {
public:
    Parser(SheetTable &table, QChar separator) : table_(table), separator_(separator) {}

    // Parses the whole records at the start of `text`, at most `maxRecords`; answers how
    // many characters they took.
    qsizetype parse(QStringView text, bool atEnd, qsizetype maxRecords)
    {
        qsizetype at = 0;
        for (qsizetype n = 0; n < maxRecords && at < text.size(); ++n) {
            if (!record(text, at, atEnd))
                break;
            for (int column = 0; column < int(fields_.size()); ++column)
                table_.setText(row_, column, fields_[std::size_t(column)]);
            ++row_;
        }
        return at;
    }

private:
    // One record's fields into fields_ and `at` past its line end; false, `at` unmoved,
    // when the text may end inside it.
    bool record(QStringView text, qsizetype &at, bool atEnd)
    {
        const qsizetype size = text.size();
        const bool separated = !separator_.isNull();
        fields_.clear();
        qsizetype p = at;
        for (;;) {
            // A field: its quoted part, where "" is a quote, then what follows up to a
            // separator or the line end.
            QString quoted;
            if (p < size && text[p] == u'"') {
                for (++p;;) {
                    const qsizetype quote = text.indexOf(u'"', p);
                    if (quote < 0) {
                        if (!atEnd)
                            return false;
                        quoted += text.sliced(p);
                        p = size;
                        break;
                    }
                    quoted += text.sliced(p, quote - p);
                    p = quote + 1;
                    if (p < size && text[p] == u'"') {
                        quoted += u'"';
                        ++p;
                        continue;
                    }
                    break;
                }
            }
            qsizetype end = p;
            while (end < size && (!separated || text[end] != separator_) && text[end] != u'\n' &&
                   text[end] != u'\r')
                ++end;
            if (end == size && !atEnd)
                return false;
            if (quoted.isNull()) {
                fields_.push_back(cellText(text.sliced(p, end - p)));
            } else {
                quoted.append(text.sliced(p, end - p));
                fields_.push_back(cellText(quoted));
            }
            p = end;
            if (p < size && separated && text[p] == separator_) {
                ++p;
                continue;
            }
            // A line end (CR LF, LF or CR), or the end of the text.
            if (p < size && text[p] == u'\r') {
                if (p + 1 == size && !atEnd)
                    return false;
                ++p;
            }
            if (p < size && text[p] == u'\n')
                ++p;
            at = p;
            return true;
        }
    }

    SheetTable &table_;
    QChar separator_;
    std::vector<QString> fields_;
    qsizetype row_ = 0;
};

// Excel's own hint of the separator, "sep=;", on a line of its own at the start: the
// characters it takes, 0 when there is none.
qsizetype separatorHint(QStringView text, QChar *separator)
{
    const auto usable = [](QChar c) {
        return !c.isNull() && c != u'\r' && c != u'\n' && c != u'"';
    };
    if (!(text.startsWith(u"sep=") && text.size() >= 5 && usable(text[4]) &&
          (text.size() == 5 || text[5] == u'\r' || text[5] == u'\n')))
        return 0;
    *separator = text[4];
    qsizetype skip = 5;
    if (skip < text.size() && text[skip] == u'\r')
        ++skip;
    if (skip < text.size() && text[skip] == u'\n')
        ++skip;
    return skip;
}

// Whether the start of a text held back for the checks is long enough: 4096 characters,
// and 64 after any leading white space.
bool startIsLongEnough(QStringView text)
{
    qsizetype space = 0;
    while (space < text.size() && text[space].isSpace())
        ++space;
    return text.size() >= std::max<qsizetype>(4096, space + 64);
}

} // namespace

DelimitedText parseDelimitedText(QStringView text, const ReadProgress &progress, bool *cancelled)
{
    DelimitedText result;
    if (cancelled)
        *cancelled = false;
    bool enough = true;
    const qsizetype hint = separatorHint(text, &result.separator);
    text = text.sliced(hint);
    if (hint == 0)
        result.separator = detectSeparator(text, &enough);
    Parser parser(result.table, result.separator);
    for (qsizetype at = 0; at < text.size();) {
        at += parser.parse(text.sliced(at), true, 65536);
        if (at < text.size() && progress && !progress(at, text.size())) {
            if (cancelled)
                *cancelled = true;
            return {};
        }
    }
    return result;
}

TextFileReading readDelimitedText(TextBlockReader &reader, qint64 total,
                                  const std::function<bool(QStringView)> &acceptStart,
                                  const ReadProgress &progress, DelimitedText &result)
{
    result = {};
    QString pending;
    // Reads until the text held reaches `size` characters or the file ends; false when the
    // file fails.
    const auto readTo = [&](qsizetype size) {
        while (pending.size() < size && !reader.atEnd())
            pending += reader.next();
        return !reader.failed();
    };
    while (!reader.atEnd() && !startIsLongEnough(pending)) {
        if (!readTo(pending.size() + 1))
            return TextFileReading::Failed;
    }
    if (!acceptStart(pending))
        return TextFileReading::Refused;

    qsizetype at = separatorHint(pending, &result.separator);
    if (at == 0) {
        // More text until the first records have all been seen: a quoted field may span
        // many lines.
        for (;;) {
            bool enough = true;
            result.separator = detectSeparator(pending, &enough);
            if (enough || reader.atEnd())
                break;
            if (!readTo(pending.size() * 2 + 1))
                return TextFileReading::Failed;
        }
    }
    Parser parser(result.table, result.separator);
    for (;;) {
        const bool atEnd = reader.atEnd();
        const qsizetype taken = parser.parse(QStringView(pending).sliced(at), atEnd,
                                             std::numeric_limits<qsizetype>::max());
        at += taken;
        if (atEnd)
            return TextFileReading::Read;
        pending.remove(0, at);
        at = 0;
        if (progress && !progress(reader.position(), total))
            return TextFileReading::Cancelled;
        // A record that goes on past what is held (a quote never closed, say) is parsed
        // again when more is read: as much again each time keeps that linear.
        if (!readTo(taken == 0 ? pending.size() * 2 + 1 : pending.size() + 1))
            return TextFileReading::Failed;
    }
}
