#include "journalline.h"

#include "gb18030decoder.h"
#include "sha256.h"
#include "textcodec.h"

#include <QCryptographicHash>
#include <QStringDecoder>

namespace {

const QString CheckPrefix = QStringLiteral("校验=");
const QString ChainPrefix = QStringLiteral("链=");
constexpr qsizetype CheckDigits = 8;

QByteArray checkOf(QByteArrayView body)
{
    return QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex().left(CheckDigits);
}

bool isLowerHex(QByteArrayView digits, qsizetype count)
{
    if (digits.size() != count)
        return false;
    for (char c : digits)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

std::optional<QString> strictUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// The line as written: GB18030 bytes.
std::optional<JournalLine> readGb18030(QByteArrayView bytes)
{
    static const QByteArray checkPrefix = encodeText(CheckPrefix);
    static const QByteArray chainPrefix = encodeText(ChainPrefix);
    JournalLine line;
    qsizetype tab = bytes.lastIndexOf('\t');
    if (tab < 0)
        return std::nullopt;
    QByteArrayView body = bytes.first(tab);
    QByteArrayView tail = bytes.sliced(tab + 1);
    if (tail.startsWith(chainPrefix)) {
        line.chain = tail.sliced(chainPrefix.size()).toByteArray();
        if (!isLowerHex(line.chain, JournalChainDigits))
            return std::nullopt;
        line.body = body.toByteArray();
        tab = body.lastIndexOf('\t');
        if (tab < 0)
            return std::nullopt;
        tail = body.sliced(tab + 1);
        body = body.first(tab);
    }
    if (!tail.startsWith(checkPrefix))
        return std::nullopt;
    line.check = tail.sliced(checkPrefix.size()).toByteArray();
    if (line.check.size() != CheckDigits || checkOf(body) != line.check)
        return std::nullopt;
    line.fields = decodeGb18030(body).split(QLatin1Char('\t'));
    return line;
}

// Re-saved as UTF-8: the text is the same, so its GB18030 bytes carry the check and chain.
std::optional<JournalLine> readUtf8(QByteArrayView bytes)
{
    const std::optional<QString> text = strictUtf8(bytes);
    if (!text)
        return std::nullopt;
    JournalLine line;
    qsizetype tab = text->lastIndexOf(QLatin1Char('\t'));
    QString body = text->left(tab);
    QString tail = text->mid(tab + 1);
    if (tab >= 0 && tail.startsWith(ChainPrefix)) {
        line.chain = tail.mid(ChainPrefix.size()).toLatin1();
        if (!isLowerHex(line.chain, JournalChainDigits))
            return std::nullopt;
        line.body = encodeText(body);
        tab = body.lastIndexOf(QLatin1Char('\t'));
        tail = body.mid(tab + 1);
        body.truncate(qMax<qsizetype>(tab, 0));
    }
    if (tab < 0 || !tail.startsWith(CheckPrefix))
        return std::nullopt;
    line.check = tail.mid(CheckPrefix.size()).toLatin1();
    if (line.check.size() != CheckDigits || checkOf(encodeText(body)) != line.check)
        return std::nullopt;
    line.fields = body.split(QLatin1Char('\t'));
    return line;
}

} // namespace

QByteArray journalLineBody(const QString &stamp, const QStringList &fields)
{
    QByteArray line = encodeText(stamp + QLatin1Char('\t') + fields.join(QLatin1Char('\t')));
    const QByteArray check = checkOf(line);
    line += '\t';
    line += encodeText(CheckPrefix);
    line += check;
    return line;
}

QByteArray journalLineBytes(const QString &stamp, const QStringList &fields)
{
    return journalLineBody(stamp, fields) + "\r\n";
}

QByteArray journalLineCheck(const QString &stamp, const QStringList &fields)
{
    return checkOf(encodeText(stamp + QLatin1Char('\t') + fields.join(QLatin1Char('\t'))));
}

QByteArray journalChainValue(QByteArrayView previous, QByteArrayView body)
{
    QByteArray input;
    input.reserve(previous.size() + body.size());
    input += previous;
    input += body;
    return sha256Hex(input).left(JournalChainDigits);
}

QByteArray chainedJournalLine(const QByteArray &body, const QByteArray &chain)
{
    static const QByteArray chainPrefix = encodeText(ChainPrefix);
    QByteArray line;
    line.reserve(body.size() + chainPrefix.size() + chain.size() + 3);
    line += body;
    line += '\t';
    line += chainPrefix;
    line += chain;
    line += "\r\n";
    return line;
}

std::optional<JournalLine> readJournalLine(QByteArrayView bytes)
{
    if (std::optional<JournalLine> line = readGb18030(bytes))
        return line;
    return readUtf8(bytes);
}

std::optional<QStringList> parseJournalLine(QByteArrayView bytes)
{
    std::optional<JournalLine> line = readJournalLine(bytes);
    if (!line)
        return std::nullopt;
    return std::move(line->fields);
}
