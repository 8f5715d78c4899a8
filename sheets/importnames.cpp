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
#include <type_traits>

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
    const qsizetype end =
        columns.endRow >= 0 ? std::min(columns.endRow, table.rowCount()) : table.rowCount();
    const qsizetype first = std::clamp<qsizetype>(columns.firstRow, 0, end);
    result.names = ImportedNameList(table, columns.name, columns.detail, first, end);
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
        if (columns.detail >= 0 && isErrorValue(table.cell(row, columns.detail)))
            ++result.errorDetails;
        result.names.append(row);
    }
    result.duplicates = findImportedDuplicates(result.names);
    return result;
}

namespace {

// The names' lines, CR LF after each, a few thousand names at a time (neither encoding
// keeps a state between characters), so that the list never stands whole as a second
// string beside its bytes.
class LineChunks {
public:
    explicit LineChunks(const NameList &names) : plain_(&names) {}
    explicit LineChunks(const ImportedNameList &names)
        : imported_(&names), at_(names.begin()), end_(names.end())
    {
    }

    // The characters of all the lines.
    qsizetype characters() const
    {
        if (imported_)
            return imported_->characters() + 2 * imported_->size();
        qsizetype characters = 0;
        for (qsizetype i = 0; i < plain_->size(); ++i)
            characters += plain_->at(i).size() + 2;
        return characters;
    }

    // The next lines; empty after the last.
    const QString &next()
    {
        qsizetype used = 0;
        const auto add = [&](const auto &name) {
            const qsizetype size = name.size() + 2;
            if (chunk_.size() < used + size)
                chunk_.resize(std::max(used + size, ChunkCharacters + 1024));
            char16_t *out = reinterpret_cast<char16_t *>(chunk_.data()) + used;
            if constexpr (std::is_same_v<std::decay_t<decltype(name)>, JoinedName>)
                out = name.copyTo(out);
            else
                out = std::copy(name.utf16(), name.utf16() + name.size(), out);
            out[0] = u'\r';
            out[1] = u'\n';
            used += size;
        };
        if (plain_) {
            for (; index_ < plain_->size() && used < ChunkCharacters; ++index_)
                add(plain_->at(index_));
        } else {
            for (; at_ != end_ && used < ChunkCharacters; ++at_)
                add(*at_);
        }
        chunk_.resize(used);
        return chunk_;
    }

private:
    static constexpr qsizetype ChunkCharacters = 65536;
    const NameList *plain_ = nullptr;
    const ImportedNameList *imported_ = nullptr;
    qsizetype index_ = 0;
    ImportedNameList::const_iterator at_;
    ImportedNameList::const_iterator end_;
    QString chunk_;
};

// The lines encoded after `prefix`, into bytes reserved once: `most` bytes at most for
// each UTF-16 unit.
template <typename Names, typename Encode>
QByteArray encodedLines(const Names &names, const QByteArray &prefix, qsizetype most, Encode encode)
{
    LineChunks lines(names);
    QByteArray bytes;
    bytes.reserve(prefix.size() + lines.characters() * most);
    bytes += prefix;
    for (const QString *chunk = &lines.next(); !chunk->isEmpty(); chunk = &lines.next())
        bytes += encode(*chunk);
    return bytes;
}

// Whether the list reader reads `bytes` as these lines. The bytes are decoded a block at
// a time, as decodeText() decodes them whole, and compared with the lines as they come.
template <typename Names> bool readBackAs(const QByteArray &bytes, const Names &names)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    TextBlockReader reader(buffer);
    if (!reader.start())
        return false;
    LineChunks lines(names);
    const QString *chunk = &lines.next();
    qsizetype at = 0; // in the chunk
    while (!reader.atEnd()) {
        const QString piece = reader.next();
        for (qsizetype p = 0; p < piece.size();) {
            if (at == chunk->size()) {
                chunk = &lines.next();
                at = 0;
                if (chunk->isEmpty())
                    return false;
            }
            const qsizetype take = std::min(chunk->size() - at, piece.size() - p);
            if (QStringView(piece).sliced(p, take) != QStringView(*chunk).sliced(at, take))
                return false;
            p += take;
            at += take;
        }
    }
    return !reader.failed() && at == chunk->size() && lines.next().isEmpty();
}

template <typename Names> QByteArray listBytes(const Names &names)
{
    // GB18030 takes at most two bytes for each UTF-16 unit, UTF-8 three.
    QByteArray bytes =
        encodedLines(names, {}, 2, [](const QString &chunk) { return encodeText(chunk); });
    // Without a byte-order mark the reader guesses between GBK and UTF-8, and a rare text
    // in GB18030 is valid UTF-8 for likelier characters. Such a list is written as UTF-8
    // with its mark, which is never misread: the draw reads what the dialog showed.
    if (readBackAs(bytes, names))
        return bytes;
    bytes = {};
    return encodedLines(names, "\xEF\xBB\xBF", 3,
                        [](const QString &chunk) { return chunk.toUtf8(); });
}

} // namespace

QByteArray importedListBytes(const ImportedNameList &names)
{
    return listBytes(names);
}

QByteArray importedListBytes(const NameList &names)
{
    return listBytes(names);
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
