// The sheet table's own texts: each kept after its length, a column's repeated texts kept
// once while the column has few different ones.
#include "sheettable.h"

#include <QTest>

#include <memory>

namespace {

using Column = QStringList; // a column's texts from row 0; an empty one leaves the cell empty

// A text put into a cell: its own, or a shared string's (of the workbook's table).
struct Placed {
    qsizetype row;
    int column;
    QString text;
    bool shared = false;
};
// A merged range: its top-left cell's text down the rows of its first column.
struct Merge {
    qsizetype firstRow;
    int column;
    qsizetype lastRow;
};
using Cells = QMap<std::pair<qsizetype, int>, QString>; // (row, column): every text expected

QString numbered(const QString &stem, int count, int modulo)
{
    return stem + QString::number(count % modulo);
}

} // namespace

class SheetTableTest : public QObject {
    Q_OBJECT

private slots:
    void keepsEveryText_data();
    void keepsEveryText();
    void keepsCellsOfEveryKind_data();
    void keepsCellsOfEveryKind();
    void copiesKeepTheirOwnCells_data();
    void copiesKeepTheirOwnCells();
};

void SheetTableTest::keepsEveryText_data()
{
    QTest::addColumn<QList<Column>>("columns");

    QTest::newRow("texts of 32,767, 32,768 and 100,000 characters around short ones")
        << QList<Column>{{QString(32767, u'甲'), "张三", QString(32768, u'乙'), "",
                          QString(100000, u'丙'), "李四"}};
    Column departments;
    Column names;
    Column numbers;
    for (int i = 0; i < 20000; ++i) {
        departments.append(numbered("部门", i, 20));
        names.append(numbered("名字", i * 7919, 9000)); // past the repeats a column keeps
        numbers.append(QString::number(100001 + i));
    }
    QTest::newRow("a department repeated down, names repeating among many, numbers")
        << QList<Column>{numbers, names, departments};
    QTest::newRow("the same texts in two columns, one of them empty in between")
        << QList<Column>{{"销售部", "财务部", "销售部"}, {"", "销售部", "销售部"}};
    Column alike;
    for (int i = 0; i < 5000; ++i)
        alike.append(QString(i % 50 + 1, u'王'));
    QTest::newRow("texts that differ in length only") << QList<Column>{alike};
}

void SheetTableTest::keepsEveryText()
{
    QFETCH(QList<Column>, columns);
    SheetTable table;
    qsizetype rows = 0;
    // Row by row, as the readers fill it.
    for (qsizetype row = 0;; ++row) {
        bool any = false;
        for (int column = 0; column < columns.size(); ++column) {
            if (row < columns[column].size()) {
                table.setText(row, column, columns[column][row]);
                any = true;
            }
        }
        if (!any)
            break;
    }
    for (const Column &column : columns)
        rows = std::max(rows, column.size());
    QVERIFY(!table.overBudget());
    for (int column = 0; column < columns.size(); ++column) {
        for (qsizetype row = 0; row < rows; ++row) {
            const QString expected = columns[column].value(row);
            if (table.cell(row, column) != expected)
                QFAIL(qPrintable(QStringLiteral("%1%2: %3 characters, expected %4")
                                     .arg(SheetTable::columnName(column))
                                     .arg(row + 1)
                                     .arg(table.cell(row, column).size())
                                     .arg(expected.size())));
        }
    }
}

// A column's cells are kept in blocks of rows, narrow while their references lie near each
// other: shared strings beside own texts, a repeated text far behind new ones, empty
// blocks between far rows and merged ranges that fill them must all read back.
void SheetTableTest::keepsCellsOfEveryKind_data()
{
    QTest::addColumn<QList<Placed>>("placed");
    QTest::addColumn<QList<Merge>>("merges");
    QTest::addColumn<Cells>("expected");

    QList<Placed> placed;
    Cells expected;
    const auto place = [&](qsizetype row, int column, const QString &text, bool shared) {
        placed.append({row, column, text, shared});
        expected[{row, column}] = text;
    };
    for (int row = 0; row < 700; ++row)
        place(row, 0, QStringLiteral("名字%1").arg(row), row % 3 == 0);
    QTest::newRow("shared strings and own texts in one column")
        << placed << QList<Merge>{} << expected;

    placed.clear();
    expected.clear();
    // 300 characters a text: new texts lie ever farther from the first, which repeats.
    for (int row = 0; row < 1200; ++row) {
        const QString text =
            row % 40 == 39 ? QStringLiteral("销售部") : QString(300, u'长') + QString::number(row);
        place(row, 0, row == 0 ? QStringLiteral("销售部") : text, false);
    }
    QTest::newRow("a repeated text far behind new ones") << placed << QList<Merge>{} << expected;

    placed.clear();
    expected.clear();
    place(0, 2, "张三", false);
    place(100000, 2, "李四", false);
    place(100001, 0, "王五", true);
    place(250000, 2, "赵六", false);
    QTest::newRow("texts a hundred thousand rows apart") << placed << QList<Merge>{} << expected;

    placed.clear();
    expected.clear();
    for (int row = 0; row < 900; ++row)
        place(row, 0, QStringLiteral("员工%1").arg(row), row % 2 == 1);
    place(0, 1, "销售部", false);
    place(300, 1, "财务部", true);
    place(310, 1, "技术部", false);
    for (qsizetype row = 1; row < 300; ++row)
        expected[{row, 1}] = "销售部";
    for (qsizetype row = 301; row < 900; ++row)
        expected[{row, 1}] = row == 310 ? "技术部" : "财务部";
    // The second range runs past the last row with a text: the rows below it stay empty.
    QTest::newRow("departments merged down over blocks, around a text of its own")
        << placed << QList<Merge>{{0, 1, 299}, {300, 1, 5000}} << expected;
}

void SheetTableTest::keepsCellsOfEveryKind()
{
    QFETCH(QList<Placed>, placed);
    QFETCH(QList<Merge>, merges);
    QFETCH(Cells, expected);
    auto pool = std::make_shared<StringPool>();
    pool->add(u"空");
    QList<quint32> indexes;
    for (const Placed &p : placed)
        indexes.append(p.shared ? pool->add(p.text) : 0);
    SheetTable table(pool);
    for (qsizetype i = 0; i < placed.size(); ++i) {
        if (placed[i].shared)
            table.setShared(placed[i].row, placed[i].column, indexes[i]);
        else
            table.setText(placed[i].row, placed[i].column, placed[i].text);
    }
    for (const Merge &merge : merges)
        table.fillMerged(merge.firstRow, merge.column, merge.lastRow, merge.column);
    QVERIFY(!table.overBudget());

    qsizetype rows = 0;
    for (auto at = expected.cbegin(); at != expected.cend(); ++at)
        rows = std::max(rows, at.key().first + 1);
    QCOMPARE(table.rowCount(), rows);
    for (int column : table.columns()) {
        for (qsizetype row = 0; row < rows + 300; ++row) {
            const QString text = expected.value({row, column});
            if (table.cell(row, column) != text)
                QFAIL(qPrintable(QStringLiteral("%1%2: \"%3\", expected \"%4\"")
                                     .arg(SheetTable::columnName(column))
                                     .arg(row + 1)
                                     .arg(table.cell(row, column).left(20))
                                     .arg(text.left(20))));
        }
    }
}

// A copy shares the cells (the imported names keep the table so), yet a change to either
// leaves the other as it was, and a table moved away leaves an empty one.
enum class Change { Original, Copy, MoveOriginal, MergeInCopy };

void SheetTableTest::copiesKeepTheirOwnCells_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QStringList>("original"); // column A afterwards, rows 0–2
    QTest::addColumn<QStringList>("copy");
    QTest::newRow("the original changed") << Change::Original << QStringList{"张三", "李四", "赵六"}
                                          << QStringList{"张三", "李四", ""};
    QTest::newRow("the copy changed")
        << Change::Copy << QStringList{"张三", "李四", ""} << QStringList{"王五", "李四", ""};
    QTest::newRow("the original moved away")
        << Change::MoveOriginal << QStringList{"", "", ""} << QStringList{"张三", "李四", ""};
    QTest::newRow("a range merged in the copy")
        << Change::MergeInCopy << QStringList{"张三", "李四", ""}
        << QStringList{"张三", "李四", "李四"};
}

void SheetTableTest::copiesKeepTheirOwnCells()
{
    QFETCH(Change, change);
    QFETCH(QStringList, original);
    QFETCH(QStringList, copy);
    SheetTable table;
    table.setText(0, 0, u"张三");
    table.setText(1, 0, u"李四");
    table.setText(2, 1, u"销售部");
    SheetTable copied = table;
    SheetTable movedTo;
    switch (change) {
    case Change::Original:
        table.setText(2, 0, u"赵六");
        break;
    case Change::Copy:
        copied.setText(0, 0, u"王五");
        break;
    case Change::MoveOriginal:
        movedTo = std::move(table);
        QCOMPARE(movedTo.cell(1, 0), u"李四");
        QVERIFY(table.columns().isEmpty());
        QCOMPARE(table.rowCount(), 0);
        break;
    case Change::MergeInCopy:
        copied.fillMerged(1, 0, 2, 0);
        break;
    }
    for (qsizetype row = 0; row < 3; ++row) {
        QCOMPARE(table.cell(row, 0), original[row]);
        QCOMPARE(copied.cell(row, 0), copy[row]);
    }
}

int runSheetTableTest(int argc, char *argv[])
{
    SheetTableTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "sheettabletest.moc"
