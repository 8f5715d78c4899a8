#include "xlsxinternals.h"

namespace xlsx {

QString directoryOf(const QString &part)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    return slash < 0 ? QString() : part.left(slash + 1);
}

QString relationshipsOf(const QString &part)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    return directoryOf(part) + QStringLiteral("_rels/") + part.mid(slash + 1) +
           QStringLiteral(".rels");
}

QString resolvePart(const QString &baseDirectory, const QString &target)
{
    const QString path = target.startsWith(u'/') ? target.mid(1) : baseDirectory + target;
    QStringList parts;
    for (const QString &part : path.split(u'/')) {
        if (part.isEmpty() || part == u".")
            continue;
        if (part == u"..") {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    return parts.join(u'/');
}

bool typeIs(const QString &type, QStringView kind)
{
    // Transitional and Strict OOXML name the same relationships under different roots.
    return type.endsWith(u'/' + kind.toString());
}

std::optional<std::pair<int, qsizetype>> parseReference(QStringView ref)
{
    qsizetype i = 0;
    qint64 column = 0;
    while (i < ref.size() && ref.at(i).isLetter() && ref.at(i).unicode() < 128) {
        column = column * 26 + (ref.at(i).toUpper().unicode() - u'A' + 1);
        if (column > MaxColumns)
            return std::nullopt;
        ++i;
    }
    if (i == 0 || i == ref.size())
        return std::nullopt;
    bool ok = false;
    const qint64 row = ref.sliced(i).toLongLong(&ok);
    if (!ok || row < 1 || row > MaxRows)
        return std::nullopt;
    return std::pair{int(column - 1), qsizetype(row - 1)};
}

QString decodeEscapes(const QString &text)
{
    if (!text.contains(u"_x"))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'_' && i + 6 < text.size() && text.at(i + 1) == u'x' &&
            text.at(i + 6) == u'_') {
            bool ok = false;
            const uint code = QStringView(text).sliced(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                out += QChar(char16_t(code));
                i += 6;
                continue;
            }
        }
        out += text.at(i);
    }
    return out;
}

QStringView localName(QStringView name)
{
    const qsizetype colon = name.indexOf(u':');
    return colon < 0 ? name : name.sliced(colon + 1);
}

QString readStringItem(QXmlStreamReader &xml)
{
    QString text;
    int phonetic = 0;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (localName(xml.qualifiedName()) == u"rPh") {
                ++phonetic;
                ++depth;
            } else if (localName(xml.qualifiedName()) == u"t" && phonetic == 0) {
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
            } else {
                ++depth;
            }
            break;
        case QXmlStreamReader::EndElement:
            if (localName(xml.qualifiedName()) == u"rPh")
                --phonetic;
            --depth;
            break;
        default:
            break;
        }
    }
    return decodeEscapes(text);
}

ReadFailure fromZip(ZipArchive::Failure failure, const QString &detail)
{
    switch (failure) {
    case ZipArchive::Failure::None:
        return {};
    case ZipArchive::Failure::CannotOpen:
        return {ReadFailure::Kind::CannotOpen, detail};
    case ZipArchive::Failure::Encrypted:
        return {ReadFailure::Kind::Encrypted, detail};
    case ZipArchive::Failure::TooLarge:
        return {ReadFailure::Kind::TooLarge, detail};
    case ZipArchive::Failure::NotZip:
    case ZipArchive::Failure::Damaged:
    case ZipArchive::Failure::Unsupported:
        return {ReadFailure::Kind::Damaged, detail};
    }
    return {ReadFailure::Kind::Damaged, detail};
}

} // namespace xlsx
