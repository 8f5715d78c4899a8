#include "importnames.h"

#include "atomicwrite.h"
#include "fileaccess.h"
#include "textcodec.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace {

// Titles of the columns a staff or guest list has, as operators name them.
const QStringList HeaderWords{
    QStringLiteral("姓名"),       QStringLiteral("名字"),       QStringLiteral("名称"),
    QStringLiteral("人员"),       QStringLiteral("员工"),       QStringLiteral("员工姓名"),
    QStringLiteral("职工姓名"),   QStringLiteral("人员姓名"),   QStringLiteral("参与人"),
    QStringLiteral("抽奖人"),     QStringLiteral("嘉宾"),       QStringLiteral("嘉宾姓名"),
    QStringLiteral("客户"),       QStringLiteral("客户姓名"),   QStringLiteral("学生姓名"),
    QStringLiteral("部门"),       QStringLiteral("所属部门"),   QStringLiteral("部门名称"),
    QStringLiteral("单位"),       QStringLiteral("科室"),       QStringLiteral("公司"),
    QStringLiteral("分公司"),     QStringLiteral("事业部"),     QStringLiteral("中心"),
    QStringLiteral("组别"),       QStringLiteral("小组"),       QStringLiteral("班组"),
    QStringLiteral("班级"),       QStringLiteral("工号"),       QStringLiteral("员工编号"),
    QStringLiteral("员工号"),     QStringLiteral("编号"),       QStringLiteral("序号"),
    QStringLiteral("编码"),       QStringLiteral("职位"),       QStringLiteral("岗位"),
    QStringLiteral("职务"),       QStringLiteral("性别"),       QStringLiteral("手机"),
    QStringLiteral("手机号"),     QStringLiteral("手机号码"),   QStringLiteral("电话"),
    QStringLiteral("联系电话"),   QStringLiteral("备注"),       QStringLiteral("邮箱"),
    QStringLiteral("name"),       QStringLiteral("fullname"),   QStringLiteral("firstname"),
    QStringLiteral("lastname"),   QStringLiteral("department"), QStringLiteral("dept"),
    QStringLiteral("id"),         QStringLiteral("no"),         QStringLiteral("no."),
    QStringLiteral("employeeid"), QStringLiteral("team"),       QStringLiteral("email"),
    QStringLiteral("phone"),      QStringLiteral("title"),      QStringLiteral("company"),
};

const QStringList NameWords{
    QStringLiteral("姓名"),     QStringLiteral("名字"),     QStringLiteral("员工姓名"),
    QStringLiteral("职工姓名"), QStringLiteral("人员姓名"), QStringLiteral("嘉宾姓名"),
    QStringLiteral("客户姓名"), QStringLiteral("学生姓名"), QStringLiteral("参与人"),
    QStringLiteral("抽奖人"),   QStringLiteral("人员"),     QStringLiteral("员工"),
    QStringLiteral("嘉宾"),     QStringLiteral("name"),     QStringLiteral("fullname"),
};
const QStringList DetailWords{
    QStringLiteral("部门"),   QStringLiteral("所属部门"),   QStringLiteral("部门名称"),
    QStringLiteral("单位"),   QStringLiteral("科室"),       QStringLiteral("公司"),
    QStringLiteral("分公司"), QStringLiteral("事业部"),     QStringLiteral("中心"),
    QStringLiteral("组别"),   QStringLiteral("小组"),       QStringLiteral("班组"),
    QStringLiteral("班级"),   QStringLiteral("department"), QStringLiteral("dept"),
    QStringLiteral("team"),   QStringLiteral("company"),
};

// How many rows with text the header may stand below the top (a title, a date, a blank).
constexpr int HeaderSearchRows = 10;

QString normalisedTitle(QStringView text)
{
    QString title;
    for (QChar c : text) {
        if (c.isSpace() || c == u':' || c == u'：' || c == u'*' || c == u'_')
            continue;
        title += c.toLower();
    }
    return title;
}

} // namespace

QString joinedName(QStringView name, QStringView detail)
{
    if (detail.isEmpty())
        return name.toString();
    return name.toString() + QStringLiteral("（") + detail.toString() + QStringLiteral("）");
}

bool isHeaderWord(QStringView text)
{
    const QString title = normalisedTitle(text);
    return !title.isEmpty() && HeaderWords.contains(title);
}

std::optional<qsizetype> firstTextRow(const SheetTable &table)
{
    const QList<int> columns = table.columns();
    for (qsizetype row = 0; row < table.rowCount(); ++row) {
        for (int column : columns) {
            if (!table.cell(row, column).isEmpty())
                return row;
        }
    }
    return std::nullopt;
}

std::optional<qsizetype> recognisedHeaderRow(const SheetTable &table, int nameColumn,
                                             int detailColumn)
{
    const QList<int> columns = table.columns();
    int seen = 0;
    for (qsizetype row = 0; row < table.rowCount() && seen < HeaderSearchRows; ++row) {
        const bool hasText = std::any_of(columns.cbegin(), columns.cend(), [&](int column) {
            return !table.cell(row, column).isEmpty();
        });
        if (!hasText)
            continue;
        ++seen;
        if (isHeaderWord(table.cell(row, nameColumn)) ||
            (detailColumn >= 0 && isHeaderWord(table.cell(row, detailColumn))))
            return row;
    }
    return std::nullopt;
}

ImportedNames importNames(const SheetTable &table, const ImportColumns &columns)
{
    ImportedNames result;
    if (columns.name < 0)
        return result;
    QString text;
    std::vector<qsizetype> starts;
    const qsizetype rows = table.rowCount() - std::min(columns.firstRow, table.rowCount());
    starts.reserve(std::size_t(rows));
    qsizetype emptyBefore = 0; // empty rows since the last name
    for (qsizetype row = std::max<qsizetype>(columns.firstRow, 0); row < table.rowCount(); ++row) {
        const QStringView name = table.cell(row, columns.name);
        if (name.isEmpty()) {
            ++emptyBefore;
            continue;
        }
        // Empty rows after the last name are no rows of the list.
        result.emptyRows += emptyBefore;
        emptyBefore = 0;
        starts.push_back(text.size());
        text += name;
        const QStringView detail =
            columns.detail >= 0 ? table.cell(row, columns.detail) : QStringView();
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

QByteArray importedListBytes(const NameList &names)
{
    QString text;
    qsizetype characters = 0;
    for (qsizetype i = 0; i < names.size(); ++i)
        characters += names.at(i).size() + 2;
    text.reserve(characters);
    for (qsizetype i = 0; i < names.size(); ++i) {
        text += names.at(i);
        text += QLatin1String("\r\n");
    }
    // Without a byte-order mark the reader guesses between GBK and UTF-8, and a rare text
    // in GB18030 is valid UTF-8 for likelier characters. Such a list is written as UTF-8
    // with its mark, which is never misread: the draw reads what the dialog showed.
    QByteArray bytes = encodeText(text);
    if (decodeText(bytes) != text)
        bytes = QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    return bytes;
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

ImportColumns suggestColumns(const SheetTable &table)
{
    ImportColumns columns;
    const QList<int> all = table.columns();
    if (all.isEmpty())
        return columns;
    // The header: the first of the top rows with a column title in any column.
    std::optional<qsizetype> header;
    for (int column : all) {
        const std::optional<qsizetype> row = recognisedHeaderRow(table, column);
        if (row && (!header || *row < *header))
            header = row;
    }
    if (header) {
        columns.firstRow = *header + 1;
        for (int column : all) {
            const QString title = normalisedTitle(table.cell(*header, column));
            if (columns.name < 0 && NameWords.contains(title))
                columns.name = column;
            else if (columns.detail < 0 && DetailWords.contains(title))
                columns.detail = column;
        }
    }
    if (columns.name < 0) {
        // The first column whose first rows hold more than numbers.
        const auto isNumber = [](QStringView text) {
            bool ok = false;
            const double number = text.toDouble(&ok);
            Q_UNUSED(number);
            return ok;
        };
        for (int column : all) {
            int words = 0;
            int seen = 0;
            for (qsizetype row = columns.firstRow; row < table.rowCount() && seen < 20; ++row) {
                const QStringView text = table.cell(row, column);
                if (text.isEmpty())
                    continue;
                ++seen;
                words += isNumber(text) ? 0 : 1;
            }
            if (words > 0) {
                columns.name = column;
                break;
            }
        }
        if (columns.name < 0)
            columns.name = all.first();
    }
    if (columns.detail == columns.name)
        columns.detail = -1;
    return columns;
}
