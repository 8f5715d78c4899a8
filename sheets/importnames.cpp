#include "importnames.h"

#include "sheetlayout.h"

#include "atomicwrite.h"
#include "fileaccess.h"
#include "textblocks.h"
#include "textcodec.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <vector>

QString joinedName(QStringView name, QStringView detail)
{
    if (detail.isEmpty())
        return name.toString();
    return name.toString() + QStringLiteral("（") + detail.toString() + QStringLiteral("）");
}

bool isErrorValue(QStringView text)
{
    static const QStringList Errors{
        QStringLiteral("#N/A"),    QStringLiteral("#REF!"),     QStringLiteral("#VALUE!"),
        QStringLiteral("#DIV/0!"), QStringLiteral("#NAME?"),    QStringLiteral("#NULL!"),
        QStringLiteral("#NUM!"),   QStringLiteral("#SPILL!"),   QStringLiteral("#CALC!"),
        QStringLiteral("#FIELD!"), QStringLiteral("#BLOCKED!"), QStringLiteral("#CONNECT!"),
        QStringLiteral("#BUSY!"),  QStringLiteral("#UNKNOWN!"), QStringLiteral("#GETTING_DATA"),
        QStringLiteral("#NA"),
    };
    if (text.startsWith(u'#'))
        return Errors.contains(text, Qt::CaseInsensitive);
    // LibreOffice shows its own errors as "Err:502".
    if (text.startsWith(u"Err:") && text.size() == 7) {
        bool ok = false;
        return text.sliced(4).toInt(&ok) > 0 && ok;
    }
    return false;
}

ImportedNames importNames(const SheetTable &table, const ImportColumns &columns)
{
    ImportedNames result;
    if (columns.name < 0)
        return result;
    QString text;
    std::vector<qsizetype> starts;
    const qsizetype end =
        columns.endRow >= 0 ? std::min(columns.endRow, table.rowCount()) : table.rowCount();
    const qsizetype first = std::clamp<qsizetype>(columns.firstRow, 0, end);
    starts.reserve(std::size_t(end - first));
    // The names' length first, so that a million of them are one allocation, not a string
    // doubled a few times over.
    qsizetype characters = 0;
    for (qsizetype row = first; row < end; ++row) {
        characters += table.cell(row, columns.name).size();
        if (columns.detail >= 0)
            characters += table.cell(row, columns.detail).size() + 2;
    }
    text.reserve(characters);
    qsizetype emptyBefore = 0; // empty rows since the last name
    for (qsizetype row = first; row < end; ++row) {
        const QStringView name = table.cell(row, columns.name);
        if (name.isEmpty()) {
            ++emptyBefore;
            continue;
        }
        if (!columns.hiddenRows && table.isRowHidden(row)) {
            ++result.hiddenRows;
            continue;
        }
        if (isErrorValue(name)) {
            ++result.errorNames;
            continue;
        }
        // A column title is nobody's name: a header repeated down the sheet, or the header
        // of a sheet imported without one.
        if (isNameTitle(name)) {
            ++result.titles;
            continue;
        }
        // Empty rows after the last name are no rows of the list.
        result.emptyRows += emptyBefore;
        emptyBefore = 0;
        starts.push_back(text.size());
        text += name;
        QStringView detail = columns.detail >= 0 ? table.cell(row, columns.detail) : QStringView();
        if (isErrorValue(detail)) {
            ++result.errorDetails;
            detail = {};
        }
        if (!detail.isEmpty()) {
            text += QStringLiteral("（");
            text += detail;
            text += QStringLiteral("）");
        }
    }
    result.names = NameList(std::move(text), std::move(starts));
    result.duplicates = findDuplicateNames(result.names, {});
    return result;
}

namespace {

// The names' lines, CR LF after each, encoded a few thousand names at a time (neither
// encoding keeps a state between characters), so that the list never stands whole as a
// second string beside its bytes.
template <typename Encode> QByteArray encodedLines(const NameList &names, Encode encode)
{
    QByteArray bytes;
    qsizetype characters = 0;
    for (qsizetype i = 0; i < names.size(); ++i)
        characters += names.at(i).size() + 2;
    bytes.reserve(characters * 2);
    QString chunk;
    for (qsizetype i = 0; i < names.size(); ++i) {
        chunk += names.at(i);
        chunk += QLatin1String("\r\n");
        if (chunk.size() >= 65536 || i + 1 == names.size()) {
            bytes += encode(chunk);
            chunk.clear();
        }
    }
    return bytes;
}

// Whether the list reader reads `bytes` as these names, line by line. The bytes are
// decoded a block at a time, as decodeText() decodes them whole.
bool readBackAs(const QByteArray &bytes, const NameList &names)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    TextBlockReader reader(buffer);
    if (!reader.start())
        return false;
    qsizetype name = 0;
    qsizetype at = 0; // in the name's line, its CR LF included
    while (!reader.atEnd()) {
        const QString piece = reader.next();
        for (qsizetype p = 0; p < piece.size();) {
            if (name == names.size())
                return false;
            const QStringView line = names.at(name);
            const qsizetype take = std::min(line.size() + 2 - at, piece.size() - p);
            const qsizetype ofName = std::clamp<qsizetype>(line.size() - at, 0, take);
            if (QStringView(piece).sliced(p, ofName) != line.sliced(at, ofName))
                return false;
            for (qsizetype k = ofName; k < take; ++k) {
                if (piece[p + k] != (at + k == line.size() ? u'\r' : u'\n'))
                    return false;
            }
            p += take;
            at += take;
            if (at == line.size() + 2) {
                ++name;
                at = 0;
            }
        }
    }
    return !reader.failed() && name == names.size() && at == 0;
}

} // namespace

QByteArray importedListBytes(const NameList &names)
{
    const QByteArray bytes =
        encodedLines(names, [](const QString &chunk) { return encodeText(chunk); });
    // Without a byte-order mark the reader guesses between GBK and UTF-8, and a rare text
    // in GB18030 is valid UTF-8 for likelier characters. Such a list is written as UTF-8
    // with its mark, which is never misread: the draw reads what the dialog showed.
    if (readBackAs(bytes, names))
        return bytes;
    return "\xEF\xBB\xBF" +
           encodedLines(names, [](const QString &chunk) { return chunk.toUtf8(); });
}

FileResult writeImportedList(const QString &path, const QByteArray &bytes, QString *keptCopy)
{
    if (keptCopy)
        keptCopy->clear();
    const QFileInfo info(path);
    if (info.isDir())
        return {writeError(path, folderReason())};
    if (info.exists()) {
        FileResult read;
        const QByteArray old = readFileBytes(path, read);
        if (!read.ok())
            return read;
        if (old != bytes) {
            const QString stamp =
                QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
            QString kept;
            for (int n = 1;; ++n) {
                const QString suffix = n == 1 ? QString() : QStringLiteral("-%1").arg(n);
                kept = QDir::toNativeSeparators(info.dir().filePath(
                    info.completeBaseName() +
                    QStringLiteral("（导入前的名单，%1%2）.").arg(stamp, suffix) + info.suffix()));
                if (!QFileInfo::exists(kept))
                    break;
            }
            if (const FileResult copied = writeFileAtomically(kept, old); !copied.ok())
                return copied;
            if (keptCopy)
                *keptCopy = kept;
        }
    }
    return writeFileAtomically(path, bytes);
}
