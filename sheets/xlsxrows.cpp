#include "xlsxinternals.h"

#include <cctype>

namespace xlsx {

QString cellDisplay(QStringView type, const QString &value, const QString &inlineText, int style,
                    const CellContext &context)
{
    if (type == u"inlineStr")
        return cellText(inlineText);
    if (type == u"str" || type == u"e")
        return cellText(decodeEscapes(value));
    if (type == u"b")
        return value.trimmed() == u"1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (type == u"d") {
        QString date = value.trimmed();
        if (date.endsWith(u"T00:00:00"))
            date.chop(9);
        return date;
    }
    static const CellFormat general;
    const CellFormat &format =
        style >= 0 && style < context.styles->size() ? context.styles->at(style) : general;
    return format.show(value, context.date1904);
}

ParsedRows parseRows(const QByteArray &rows, const CellContext &context)
{
    if (std::optional<ParsedRows> quick = parseRowsQuickly(rows, context))
        return std::move(*quick);
    return parseRowsWithReader(rows, context);
}

ParsedRows parseRowsWithReader(const QByteArray &rows, const CellContext &context)
{
    ParsedRows parsed;
    parsed.cells.reserve(std::size_t(rows.size() / 24));
    QXmlStreamReader xml(QByteArray("<rows>") + rows + QByteArray("</rows>"));
    xml.setNamespaceProcessing(false);
    const auto fail = [&](const QString &what) {
        parsed.error = what;
        parsed.cells.clear();
    };
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = localName(xml.qualifiedName());
        if (name == u"row") {
            const QXmlStreamAttributes a = xml.attributes();
            const QStringView r = a.value(QLatin1String("r"));
            const QStringView hidden = a.value(QLatin1String("hidden"));
            qint32 row = -1;
            if (!r.isEmpty()) {
                bool ok = false;
                const qint64 number = r.toLongLong(&ok);
                if (!ok || number < 1 || number > MaxRows) {
                    fail(QStringLiteral("行号“%1”超出范围").arg(r));
                    return parsed;
                }
                row = qint32(number - 1);
            }
            parsed.cells.push_back(
                {row, RowMark, hidden == u"1" || hidden == u"true" ? HiddenRow : 0, 0, 0});
        } else if (name == u"c") {
            const QXmlStreamAttributes a = xml.attributes();
            qint32 row = -1;
            qint32 column = -1;
            if (const QStringView r = a.value(QLatin1String("r")); !r.isEmpty()) {
                const auto reference = parseReference(r);
                if (!reference) {
                    fail(QStringLiteral("单元格地址“%1”无效").arg(r));
                    return parsed;
                }
                column = reference->first;
                row = qint32(reference->second);
            }
            const QString type = a.value(QLatin1String("t")).toString();
            const int style = a.value(QLatin1String("s")).toInt();
            QString value;
            QString inlineText;
            bool hasValue = false;
            bool formula = false;
            while (!xml.atEnd()) {
                const QXmlStreamReader::TokenType token = xml.readNext();
                if (token == QXmlStreamReader::EndElement && localName(xml.qualifiedName()) == u"c")
                    break;
                if (token != QXmlStreamReader::StartElement)
                    continue;
                const QStringView child = localName(xml.qualifiedName());
                if (child == u"v") {
                    value = xml.readElementText();
                    hasValue = true;
                } else if (child == u"is") {
                    inlineText = readStringItem(xml);
                    hasValue = true;
                } else {
                    formula = formula || child == u"f";
                    xml.skipCurrentElement();
                }
            }
            if (!hasValue) {
                if (formula)
                    parsed.cells.push_back({row, column, UnsavedFormula, 0, 0});
                continue;
            }
            if (type == u"s") {
                bool ok = false;
                const uint index = value.trimmed().toUInt(&ok);
                if (!ok || index >= context.sharedCount) {
                    fail(QStringLiteral("共享字符串编号“%1”无效").arg(value));
                    return parsed;
                }
                parsed.cells.push_back({row, column, quint32(index), 0, 0});
            } else {
                const QString text = cellDisplay(type, value, inlineText, style, context);
                if (text.isEmpty())
                    continue;
                parsed.cells.push_back(
                    {row, column, NoShared, qint32(parsed.texts.size()), qint32(text.size())});
                parsed.texts += text;
            }
        }
    }
    if (xml.hasError())
        fail(xml.errorString());
    return parsed;
}

qsizetype afterLastRow(const QByteArray &bytes)
{
    for (qsizetype at = bytes.lastIndexOf("row>"); at > 0; at = bytes.lastIndexOf("row>", at - 1)) {
        qsizetype before = at - 1;
        if (bytes[before] == ':') {
            while (before > 0 &&
                   (std::isalnum(uchar(bytes[before - 1])) || bytes[before - 1] == '_'))
                --before;
            --before;
        }
        if (before >= 1 && bytes[before] == '/' && bytes[before - 1] == '<')
            return at + 4;
    }
    return 0;
}

} // namespace xlsx
