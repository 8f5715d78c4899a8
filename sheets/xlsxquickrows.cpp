// A sheet's rows read straight from their bytes, for the rows every spreadsheet program
// writes: <row> with its number, <c> with its reference, type and style, and <v> and <f>
// inside. Several times faster than an XML reader on the hundreds of megabytes of a long
// sheet. Anything else (an inline string, an entity, a comment, an unknown element, a
// broken tag) makes it give up, and the block is read by the XML reader, which also
// reports what is wrong.
#include "xlsxinternals.h"

#include <cstring>

namespace xlsx {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || c == ':';
}

struct Scanner {
    const char *at;
    const char *end;

    void skipSpace()
    {
        while (at < end && isSpace(*at))
            ++at;
    }
    // An element's name without its prefix; the scanner stands after '<' (or "</").
    QByteArrayView localName()
    {
        const char *start = at;
        while (at < end && isNameCharacter(*at))
            ++at;
        const QByteArrayView name(start, at - start);
        const qsizetype colon = name.lastIndexOf(':');
        return colon < 0 ? name : name.sliced(colon + 1);
    }
    // The attributes up to '>' or "/>", each handed to `each(name, value)`; false when the
    // tag is anything but plain.
    template <typename Each> bool attributes(bool &selfClosing, Each &&each)
    {
        for (;;) {
            skipSpace();
            if (at >= end)
                return false;
            if (*at == '>' || *at == '/') {
                selfClosing = *at == '/';
                at += selfClosing ? 2 : 1;
                return at <= end && (!selfClosing || at[-1] == '>');
            }
            const char *name = at;
            while (at < end && isNameCharacter(*at))
                ++at;
            const QByteArrayView attribute(name, at - name);
            skipSpace();
            if (attribute.isEmpty() || at >= end || *at != '=')
                return false;
            ++at;
            skipSpace();
            if (at >= end || (*at != '"' && *at != '\''))
                return false;
            const char quote = *at++;
            const auto *close = static_cast<const char *>(std::memchr(at, quote, end - at));
            if (!close)
                return false;
            const QByteArrayView value(at, close - at);
            if (value.contains('&') || value.contains('<'))
                return false;
            at = close + 1;
            each(attribute, value);
        }
    }
    // After a start tag: the text up to its end tag, which must follow; entities are left
    // as they stand.
    bool text(QByteArrayView element, QByteArrayView &text)
    {
        const auto *open = static_cast<const char *>(std::memchr(at, '<', end - at));
        if (!open)
            return false;
        text = QByteArrayView(at, open - at);
        at = open + 1;
        if (at >= end || *at != '/')
            return false;
        ++at;
        if (localName() != element)
            return false;
        skipSpace();
        if (at >= end || *at != '>')
            return false;
        ++at;
        return true;
    }
};

std::optional<qint64> number(QByteArrayView digits)
{
    digits = digits.trimmed();
    if (digits.isEmpty() || digits.size() > 12)
        return std::nullopt;
    qint64 n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

} // namespace

std::optional<ParsedRows> parseRowsQuickly(const QByteArray &rows, const CellContext &context)
{
    ParsedRows parsed;
    parsed.cells.reserve(std::size_t(rows.size() / 24));
    Scanner s{rows.constData(), rows.constData() + rows.size()};
    for (;;) {
        s.skipSpace();
        if (s.at >= s.end)
            break;
        if (*s.at != '<' || ++s.at >= s.end)
            return std::nullopt;
        if (*s.at == '/') {
            ++s.at;
            if (s.localName() != "row")
                return std::nullopt;
            s.skipSpace();
            if (s.at >= s.end || *s.at++ != '>')
                return std::nullopt;
            continue;
        }
        const QByteArrayView element = s.localName();
        bool selfClosing = false;
        if (element == "row") {
            qint32 row = -1;
            bool hidden = false;
            bool valid = true;
            const bool read =
                s.attributes(selfClosing, [&](QByteArrayView name, QByteArrayView value) {
                    if (name == "r") {
                        const std::optional<qint64> n = number(value);
                        valid = valid && n && *n >= 1 && *n <= MaxRows;
                        row = n ? qint32(*n - 1) : -1;
                    } else if (name == "hidden") {
                        hidden = value == "1" || value == "true";
                    }
                });
            if (!read || !valid)
                return std::nullopt;
            parsed.cells.push_back({row, RowMark, hidden ? HiddenRow : 0, 0, 0});
            continue;
        }
        if (element != "c")
            return std::nullopt;
        qint32 row = -1;
        qint32 column = -1;
        QByteArrayView type;
        int style = 0;
        bool valid = true;
        const bool read = s.attributes(selfClosing, [&](QByteArrayView name, QByteArrayView value) {
            if (name == "r") {
                const auto reference = parseReference(QString::fromLatin1(value));
                valid = valid && reference.has_value();
                if (reference) {
                    column = reference->first;
                    row = qint32(reference->second);
                }
            } else if (name == "t") {
                type = value;
            } else if (name == "s") {
                style = int(number(value).value_or(0));
            }
        });
        if (!read || !valid)
            return std::nullopt;
        if (selfClosing)
            continue;
        QByteArrayView value;
        bool hasValue = false;
        bool formula = false;
        for (;;) {
            s.skipSpace();
            if (s.at + 1 >= s.end || *s.at != '<')
                return std::nullopt;
            ++s.at;
            if (*s.at == '/') {
                ++s.at;
                if (s.localName() != "c")
                    return std::nullopt;
                s.skipSpace();
                if (s.at >= s.end || *s.at++ != '>')
                    return std::nullopt;
                break;
            }
            const QByteArrayView child = s.localName();
            if (child != "v" && child != "f")
                return std::nullopt;
            bool empty = false;
            if (!s.attributes(empty, [](QByteArrayView, QByteArrayView) {}))
                return std::nullopt;
            QByteArrayView text;
            if (!empty && !s.text(child, text))
                return std::nullopt;
            if (child == "v") {
                if (text.contains('&'))
                    return std::nullopt;
                value = text;
                hasValue = true;
            } else {
                formula = true;
            }
        }
        if (!hasValue) {
            if (formula)
                parsed.cells.push_back({row, column, UnsavedFormula, 0, 0});
            continue;
        }
        if (type == "s") {
            const std::optional<qint64> index = number(value);
            if (!index || *index >= context.sharedCount)
                return std::nullopt;
            parsed.cells.push_back({row, column, quint32(*index), 0, 0});
            continue;
        }
        const QString text =
            cellDisplay(QString::fromLatin1(type), QString::fromUtf8(value), {}, style, context);
        if (text.isEmpty())
            continue;
        parsed.cells.push_back(
            {row, column, NoShared, qint32(parsed.texts.size()), qint32(text.size())});
        parsed.texts += text;
    }
    return parsed;
}

} // namespace xlsx
