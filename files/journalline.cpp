#include "journalline.h"

#include "gb18030decoder.h"
#include "textcodec.h"

#include <QCryptographicHash>
#include <QStringDecoder>

namespace {

const QString CheckPrefix = QStringLiteral("校验=");
constexpr qsizetype CheckDigits = 8;

QByteArray checkOf(QByteArrayView body)
{
    return QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex().left(CheckDigits);
}

bool checks(const QByteArray &body, const QByteArray &check)
{
    return check.size() == CheckDigits && checkOf(body) == check;
}

std::optional<QString> strictUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

QByteArray journalLineBytes(const QString &stamp, const QStringList &fields)
{
    QByteArray line = encodeText(stamp + QLatin1Char('\t') + fields.join(QLatin1Char('\t')));
    const QByteArray check = checkOf(line);
    line += '\t';
    line += encodeText(CheckPrefix);
    line += check;
    line += "\r\n";
    return line;
}

QByteArray journalLineCheck(const QString &stamp, const QStringList &fields)
{
    return checkOf(encodeText(stamp + QLatin1Char('\t') + fields.join(QLatin1Char('\t'))));
}

std::optional<QStringList> parseJournalLine(QByteArrayView bytes)
{
    static const QByteArray gbPrefix = encodeText(CheckPrefix);
    const qsizetype tab = bytes.lastIndexOf('\t');
    if (tab < 0)
        return std::nullopt;
    const QByteArray body = bytes.first(tab).toByteArray();
    const QByteArrayView tail = bytes.sliced(tab + 1);

    if (tail.startsWith(gbPrefix) && checks(body, tail.sliced(gbPrefix.size()).toByteArray()))
        return decodeGb18030(body).split(QLatin1Char('\t'));

    // Re-saved as UTF-8: the text is the same, so its GB18030 bytes carry the check.
    const std::optional<QString> text = strictUtf8(bytes);
    if (!text)
        return std::nullopt;
    const qsizetype textTab = text->lastIndexOf(QLatin1Char('\t'));
    const QString textTail = text->mid(textTab + 1);
    if (!textTail.startsWith(CheckPrefix))
        return std::nullopt;
    const QString textBody = text->left(textTab);
    if (!checks(encodeText(textBody), textTail.mid(CheckPrefix.size()).toLatin1()))
        return std::nullopt;
    return textBody.split(QLatin1Char('\t'));
}
