// The sheet table's own texts: each kept after its length, a column's repeated texts kept
// once while the column has few different ones.
#include "sheettable.h"

#include <QTest>

namespace {

using Column = QStringList; // a column's texts from row 0; an empty one leaves the cell empty

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

int runSheetTableTest(int argc, char *argv[])
{
    SheetTableTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "sheettabletest.moc"
