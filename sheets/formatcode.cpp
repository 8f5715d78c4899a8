#include "formatcode.h"

namespace formatcode {

namespace {

bool startsWithCi(QStringView code, qsizetype at, QStringView what)
{
    return code.sliced(at).startsWith(what, Qt::CaseInsensitive);
}

} // namespace

QString firstSection(const QString &code)
{
    bool quoted = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c == u'"')
            quoted = !quoted;
        else if (c == u'\\')
            ++i;
        else if (c == u';' && !quoted)
            return code.left(i);
    }
    return code;
}

std::vector<Token> tokenize(QStringView code)
{
    std::vector<Token> tokens;
    const auto literal = [&tokens](QStringView text) {
        if (!tokens.empty() && tokens.back().type == TokenType::Literal)
            tokens.back().text += text;
        else
            tokens.push_back({TokenType::Literal, 0, text.toString()});
    };
    for (qsizetype i = 0; i < code.size();) {
        const QChar c = code.at(i);
        const char16_t lower = c.toLower().unicode();
        if (c == u'"') {
            const qsizetype end = code.indexOf(u'"', i + 1);
            literal(code.sliced(i + 1, (end < 0 ? code.size() : end) - i - 1));
            i = end < 0 ? code.size() : end + 1;
        } else if (c == u'\\') {
            if (i + 1 < code.size())
                literal(code.sliced(i + 1, 1));
            i += 2;
        } else if (c == u'_') {
            literal(u" ");
            i += 2;
        } else if (c == u'*') {
            i += 2;
        } else if (c == u'[') {
            const qsizetype end = code.indexOf(u']', i);
            const QString inside =
                code.sliced(i + 1, (end < 0 ? code.size() : end) - i - 1).toString().toLower();
            if (!inside.isEmpty() && inside.count(inside.at(0)) == inside.size()) {
                const int n = int(inside.size());
                if (inside.at(0) == u'h')
                    tokens.push_back({TokenType::ElapsedHours, n, {}});
                else if (inside.at(0) == u'm')
                    tokens.push_back({TokenType::ElapsedMinutes, n, {}});
                else if (inside.at(0) == u's')
                    tokens.push_back({TokenType::ElapsedSeconds, n, {}});
            }
            i = end < 0 ? code.size() : end + 1;
        } else if (startsWithCi(code, i, u"AM/PM")) {
            tokens.push_back({TokenType::AmPm, 0, QStringLiteral("AM/PM")});
            i += 5;
        } else if (startsWithCi(code, i, u"A/P")) {
            tokens.push_back({TokenType::AmPm, 0, QStringLiteral("A/P")});
            i += 3;
        } else if (code.sliced(i).startsWith(u"上午/下午")) {
            tokens.push_back({TokenType::AmPm, 0, QStringLiteral("上午/下午")});
            i += 5;
        } else if (lower == u'y' || lower == u'e' || lower == u'm' || lower == u'd' ||
                   lower == u'h' || lower == u's') {
            qsizetype j = i;
            while (j < code.size() && code.at(j).toLower().unicode() == lower)
                ++j;
            const int n = int(j - i);
            switch (lower) {
            case u'y':
            case u'e':
                tokens.push_back({TokenType::Year, lower == u'e' ? 4 : n, {}});
                break;
            case u'm':
                tokens.push_back({TokenType::Month, n, {}});
                break;
            case u'd':
                tokens.push_back({TokenType::Day, n, {}});
                break;
            case u'h':
                tokens.push_back({TokenType::Hour, n, {}});
                break;
            default:
                tokens.push_back({TokenType::Second, n, {}});
                break;
            }
            i = j;
            // Fractions of a second: ss.0, ss.00.
            if (lower == u's' && i + 1 < code.size() && code.at(i) == u'.' &&
                code.at(i + 1) == u'0') {
                qsizetype k = i + 1;
                while (k < code.size() && code.at(k) == u'0')
                    ++k;
                tokens.push_back({TokenType::Fraction, int(k - i - 1), {}});
                i = k;
            }
        } else if (lower == u'g' || lower == u'b') {
            ++i; // era and Buddhist-year letters: nothing a name list needs
        } else {
            literal(code.sliced(i, 1));
            ++i;
        }
    }
    // "m" is a minute right after an hour or right before a second, a month elsewhere.
    const auto isPart = [](const Token &t) { return t.type != TokenType::Literal; };
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].type != TokenType::Month || tokens[i].count > 2)
            continue;
        bool minute = false;
        for (std::size_t j = i; j-- > 0;) {
            if (isPart(tokens[j])) {
                minute =
                    tokens[j].type == TokenType::Hour || tokens[j].type == TokenType::ElapsedHours;
                break;
            }
        }
        for (std::size_t j = i + 1; !minute && j < tokens.size(); ++j) {
            if (isPart(tokens[j])) {
                minute = tokens[j].type == TokenType::Second;
                break;
            }
        }
        if (minute)
            tokens[i].type = TokenType::Minute;
    }
    return tokens;
}

} // namespace formatcode
