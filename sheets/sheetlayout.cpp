#include "sheetlayout.h"

#include "importnames.h"

#include <QHash>

#include <algorithm>

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

// Within this many rows with text from the top, any column title marks the header.
constexpr int HeaderSearchRows = 10;
// A title is short; a longer cell is not compared.
constexpr qsizetype LongestTitle = 16;

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

namespace {

bool hasTitleShape(QStringView text)
{
    return !text.isEmpty() && text.size() <= LongestTitle;
}

bool rowHasText(const SheetTable &table, const QList<int> &columns, qsizetype row)
{
    return std::any_of(columns.cbegin(), columns.cend(),
                       [&](int column) { return !table.cell(row, column).isEmpty(); });
}

bool isNumber(QStringView text)
{
    bool ok = false;
    const double number = text.toDouble(&ok);
    Q_UNUSED(number);
    return ok;
}

// "共8人", "合计：120", "总计 35 名", "Total: 8".
bool isSummaryLine(QStringView text)
{
    // Matched by hand: a static regular expression's end at exit, after the reader's threads
    // have used it, hangs the Windows program.
    static const QStringList Openings{QStringLiteral("共"),     QStringLiteral("合计"),
                                      QStringLiteral("总计"),   QStringLiteral("小计"),
                                      QStringLiteral("总人数"), QStringLiteral("人数"),
                                      QStringLiteral("总数"),   QStringLiteral("total")};
    const QStringView trimmed = text.trimmed();
    for (const QString &opening : Openings)
        if (trimmed.startsWith(opening, Qt::CaseInsensitive))
            return true;
    // "…共 8 人", "共８名": 共, digits, then 人, 名 or 位.
    const auto isDigit = [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= QChar(0xFF10) && c <= QChar(0xFF19));
    };
    for (qsizetype at = text.indexOf(u'共'); at >= 0; at = text.indexOf(u'共', at + 1)) {
        qsizetype i = at + 1;
        while (i < text.size() && text[i].isSpace())
            ++i;
        const qsizetype digits = i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        if (i == digits)
            continue;
        while (i < text.size() && text[i].isSpace())
            ++i;
        if (i < text.size() && (text[i] == u'人' || text[i] == u'名' || text[i] == u'位'))
            return true;
    }
    return false;
}

bool hasDigit(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

} // namespace

bool isHeaderWord(QStringView text)
{
    if (!hasTitleShape(text))
        return false;
    const QString title = normalisedTitle(text);
    return !title.isEmpty() && HeaderWords.contains(title);
}

bool isNameTitle(QStringView text)
{
    if (!hasTitleShape(text))
        return false;
    return NameWords.contains(normalisedTitle(text));
}

std::optional<qsizetype> firstTextRow(const SheetTable &table)
{
    const QList<int> columns = table.columns();
    for (qsizetype row = 0; row < table.rowCount(); ++row) {
        if (rowHasText(table, columns, row))
            return row;
    }
    return std::nullopt;
}

std::optional<qsizetype> findHeaderRow(const SheetTable &table)
{
    const QList<int> columns = table.columns();
    int seen = 0;
    for (qsizetype row = 0; row < table.rowCount(); ++row) {
        int titles = 0;
        bool nameTitle = false;
        bool text = false;
        for (int column : columns) {
            const QStringView cell = table.cell(row, column);
            if (cell.isEmpty())
                continue;
            text = true;
            if (isHeaderWord(cell)) {
                ++titles;
                nameTitle = nameTitle || isNameTitle(cell);
            }
        }
        if (!text)
            continue;
        ++seen;
        if (seen <= HeaderSearchRows ? titles > 0 : nameTitle || titles >= 2)
            return row;
    }
    return std::nullopt;
}

std::optional<qsizetype> notesStart(const SheetTable &table, const ImportColumns &columns)
{
    if (columns.name < 0)
        return std::nullopt;
    const QList<int> all = table.columns();
    // The rows of names from the bottom up, with whether an empty row stands above each.
    struct NameRow {
        qsizetype row;
        bool gapAbove;
    };
    QList<NameRow> bottom;
    constexpr int Compared = 50;
    constexpr int MaxNotes = 3;
    for (qsizetype row = table.rowCount() - 1;
         row >= columns.firstRow && bottom.size() < MaxNotes + 1 + Compared; --row) {
        if (table.cell(row, columns.name).isEmpty()) {
            if (!bottom.isEmpty() && !rowHasText(table, all, row))
                bottom.last().gapAbove = true;
            continue;
        }
        bottom.append({row, false});
    }
    if (bottom.size() < 2)
        return std::nullopt;

    // What the names above look like: their length, digits, how many columns they fill.
    const auto profileFrom = [&](qsizetype from) {
        QList<qsizetype> lengths;
        qsizetype withDigits = 0;
        qsizetype oneColumn = 0;
        for (qsizetype i = from; i < bottom.size(); ++i) {
            const QStringView name = table.cell(bottom[i].row, columns.name);
            lengths.append(name.size());
            withDigits += hasDigit(name) ? 1 : 0;
            int filled = 0;
            for (int column : all)
                filled += table.cell(bottom[i].row, column).isEmpty() ? 0 : 1;
            oneColumn += filled <= 1 ? 1 : 0;
        }
        std::sort(lengths.begin(), lengths.end());
        struct Profile {
            qsizetype median;
            bool digits;
            bool severalColumns;
        };
        return Profile{lengths.value(lengths.size() / 2), withDigits * 10 > lengths.size(),
                       oneColumn * 10 < lengths.size()};
    };

    const auto filledColumns = [&](qsizetype row) {
        int filled = 0;
        for (int column : all)
            filled += table.cell(row, column).isEmpty() ? 0 : 1;
        return filled;
    };
    // The largest block of rows at the bottom that are all notes: each sums the list up or
    // looks unlike the names above the block, and stands below a summary line or below an
    // empty row that sets the block apart (a name that merely looks odd stays).
    for (qsizetype k = std::min<qsizetype>(MaxNotes, bottom.size() - 1); k > 0; --k) {
        const auto profile = profileFrom(k);
        bool notes = true;
        bool setApart = false; // a summary line or a gap at or above this row, in the block
        for (qsizetype i = k - 1; i >= 0 && notes; --i) {
            const QStringView text = table.cell(bottom[i].row, columns.name);
            const bool summary = isSummaryLine(text);
            setApart = setApart || summary || bottom[i].gapAbove;
            const bool unlike = (hasDigit(text) && !profile.digits) ||
                                text.size() > std::max(profile.median * 2, profile.median + 6) ||
                                text.contains(u'：') || text.contains(u':') ||
                                (filledColumns(bottom[i].row) == 1 && profile.severalColumns);
            notes = summary || (unlike && setApart);
        }
        if (notes)
            return bottom[k - 1].row;
    }
    return std::nullopt;
}

int distinguishingColumn(const SheetTable &table, const ImportColumns &columns,
                         std::optional<qsizetype> header)
{
    if (columns.name < 0)
        return -1;
    const qsizetype end =
        columns.endRow >= 0 ? std::min(columns.endRow, table.rowCount()) : table.rowCount();
    const auto counted = [&](qsizetype row) {
        if (!columns.hiddenRows && table.isRowHidden(row))
            return QStringView();
        const QStringView name = table.cell(row, columns.name);
        return isErrorValue(name) || isNameTitle(name) ? QStringView() : name;
    };
    // The rows by their name's hash, sorted: equal names stand together, in a few bytes per
    // row where a hash table of a million names would take tens of megabytes.
    std::vector<quint64> keys;
    keys.reserve(std::size_t(std::max<qsizetype>(end - columns.firstRow, 0)));
    for (qsizetype row = std::max<qsizetype>(columns.firstRow, 0); row < end; ++row) {
        if (const QStringView name = counted(row); !name.isEmpty())
            keys.push_back(quint64(quint32(qHash(name))) << 32 | quint64(row));
    }
    std::sort(keys.begin(), keys.end());
    // The groups of rows whose names are the same, at most MaxGroups of them: enough to
    // choose a column, and a bounded cost for a roster of many columns.
    constexpr std::size_t MaxGroups = 20'000;
    std::vector<std::pair<std::size_t, std::size_t>> groups; // [first, last) in `rows`
    std::vector<qsizetype> rows;
    for (std::size_t i = 0; i < keys.size() && groups.size() < MaxGroups;) {
        std::size_t j = i + 1;
        while (j < keys.size() && keys[j] >> 32 == keys[i] >> 32)
            ++j;
        const QStringView name = table.cell(qsizetype(keys[i] & 0xFFFFFFFF), columns.name);
        const std::size_t first = rows.size();
        for (std::size_t k = i; k < j; ++k) {
            const qsizetype row = qsizetype(keys[k] & 0xFFFFFFFF);
            if (table.cell(row, columns.name) == name) // a hash shared by two names
                rows.push_back(row);
        }
        if (rows.size() - first > 1)
            groups.emplace_back(first, rows.size());
        else
            rows.resize(first);
        i = j;
    }
    keys = {};
    if (groups.empty())
        return -1;

    int best = -1;
    qsizetype bestApart = 0;
    bool bestIsDepartment = false;
    std::vector<size_t> values;
    for (int column : table.columns()) {
        if (column == columns.name)
            continue;
        // All the same (one company, one event): it tells nobody apart.
        QStringView firstValue;
        bool varies = false;
        for (qsizetype row = columns.firstRow; row < end && !varies; ++row) {
            const QStringView value = table.cell(row, column);
            if (value.isEmpty() || isErrorValue(value))
                continue;
            if (firstValue.isEmpty())
                firstValue = value;
            else
                varies = value != firstValue;
        }
        if (!varies)
            continue;
        // How many rows of the repeated names this column sets apart: the distinct values
        // in each group beyond the first.
        qsizetype apart = 0;
        for (const auto &[first, last] : groups) {
            values.clear();
            for (std::size_t k = first; k < last; ++k)
                values.push_back(qHash(table.cell(rows[k], column)));
            std::sort(values.begin(), values.end());
            apart += qsizetype(std::unique(values.begin(), values.end()) - values.begin()) - 1;
        }
        if (apart <= 0)
            continue;
        const bool department =
            header && DetailWords.contains(normalisedTitle(table.cell(*header, column)));
        if (best < 0 || (department && !bestIsDepartment) ||
            (department == bestIsDepartment && apart > bestApart)) {
            best = column;
            bestApart = apart;
            bestIsDepartment = department;
        }
    }
    return best;
}

ImportColumns suggestColumns(const SheetTable &table)
{
    ImportColumns columns;
    const QList<int> all = table.columns();
    if (all.isEmpty())
        return columns;
    const std::optional<qsizetype> header = findHeaderRow(table);
    if (header) {
        columns.firstRow = *header + 1;
        for (int column : all) {
            if (NameWords.contains(normalisedTitle(table.cell(*header, column)))) {
                columns.name = column;
                break;
            }
        }
    }
    if (columns.name < 0) {
        // The first column whose first rows hold more than numbers.
        for (int column : all) {
            int words = 0;
            int seen = 0;
            for (qsizetype row = columns.firstRow; row < table.rowCount() && seen < 20; ++row) {
                const QStringView text = table.cell(row, column);
                if (text.isEmpty() || isErrorValue(text))
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
    if (const std::optional<qsizetype> notes = notesStart(table, columns))
        columns.endRow = *notes;
    columns.detail = distinguishingColumn(table, columns, header);
    return columns;
}

SheetWeight sheetWeight(const SheetTable &table)
{
    SheetWeight weight;
    const QList<int> columns = table.columns();
    for (qsizetype row = 0; row < table.rowCount(); ++row)
        weight.textRows += rowHasText(table, columns, row) ? 1 : 0;
    if (const std::optional<qsizetype> header = findHeaderRow(table)) {
        weight.nameHeader = std::any_of(columns.cbegin(), columns.cend(), [&](int column) {
            return isNameTitle(table.cell(*header, column));
        });
    }
    return weight;
}
