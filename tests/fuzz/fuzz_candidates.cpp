#include "candidatefile.h"
#include "fuzzcheck.h"
#include "invisiblecharacters.h"
#include "textcodec.h"

#include <QTextCodec>

#include <cstdint>

// Any bytes as cjk.txt. The names must be exactly the non-empty lines of the decoded
// text, each whole; a plain split at line feeds, after turning CR LF and CR into line
// feeds, is the independent reference. Read as the draw reads it, each line loses its
// invisible characters, and a line of nothing else is no name.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QString text = decodeText(bytes);
    text.replace(u"\r\n"_qs, u"\n"_qs).replace(u'\r', u'\n');
    const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    const QStringList kept = parseCandidateNames(bytes, InvisibleCharacters::Kept);
    require(kept == lines, "the names are the non-empty lines",
            QString::number(kept.size()) + u" names, expected "_qs + QString::number(lines.size()));

    QStringList visible;
    for (const QString &line : lines) {
        const QString name = withoutInvisibleCharacters(line);
        if (!name.isEmpty())
            visible.append(name);
    }
    const QStringList names = parseCandidateNames(bytes);
    require(names == visible, "the names are the visible lines",
            QString::number(names.size()) + u" names, expected "_qs +
                QString::number(visible.size()));

    // Text that cannot be UTF-8 (a byte 0x80 in front) is GB18030: whatever the decoder
    // does to be fast, it must read exactly what Qt's codec reads.
    static QTextCodec *const codec = QTextCodec::codecForName("GB18030");
    const QByteArray gbBytes = "\x80" + bytes;
    require(decodeText(gbBytes) == codec->toUnicode(gbBytes), "GB18030 reads as Qt's codec",
            QString::fromLatin1(bytes.left(64).toHex()));
    return 0;
}
