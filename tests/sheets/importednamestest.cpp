// The imported names, joined from the table when asked for: the same names, duplicates and
// cjk.txt bytes as the whole list made into strings gives.
#include "importnames.h"

#include <QTest>

class ImportedNamesTest : public QObject {
    Q_OBJECT

private slots:
    void givesWhatTheWholeListGives_data();
    void givesWhatTheWholeListGives();
};

void ImportedNamesTest::givesWhatTheWholeListGives_data()
{
    QTest::addColumn<QStringList>("names");   // column A from row 0; "" leaves a cell empty
    QTest::addColumn<QStringList>("details"); // column B, in brackets; none when empty
    QTest::addColumn<QList<qsizetype>>("hidden");
    QTest::addColumn<qsizetype>("firstRow");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("a department tells repeated names apart")
        << QStringList{"张三", "李四", "张三", "王五", "张三"}
        << QStringList{"销售部", "财务部", "财务部", "销售部", "销售部"} << QList<qsizetype>{}
        << qsizetype(0)
        << QStringList{"张三（销售部）", "李四（财务部）", "张三（财务部）", "王五（销售部）",
                       "张三（销售部）"};
    // The joined texts count: brackets typed into the name cell make the same name.
    QTest::newRow("brackets typed into a cell")
        << QStringList{"张三（销售部）", "张三", "A（B", "A", "张三（销售部"}
        << QStringList{"", "销售部", "C）D", "B（C）D", ""} << QList<qsizetype>{} << qsizetype(0)
        << QStringList{"张三（销售部）", "张三（销售部）", "A（B（C）D）", "A（B（C）D）",
                       "张三（销售部"};
    QTest::newRow("an error value as the detail leaves the name alone")
        << QStringList{"张三", "张三", "李四", "李四"} << QStringList{"#N/A", "", "Err:502", "Eva"}
        << QList<qsizetype>{} << qsizetype(0) << QStringList{"张三", "张三", "李四", "李四（Eva）"};
    QTest::newRow("no detail column, names that differ in length only")
        << QStringList{"王", "王王", "王", "", "王王王", "王王"} << QStringList{}
        << QList<qsizetype>{} << qsizetype(0) << QStringList{"王", "王王", "王", "王王王", "王王"};
    QTest::newRow("no names") << QStringList{"", ""} << QStringList{"销售部", ""}
                              << QList<qsizetype>{} << qsizetype(0) << QStringList{};
    QTest::newRow("one name under a header")
        << QStringList{"姓名", "张三"} << QStringList{"部门", "销售部"} << QList<qsizetype>{}
        << qsizetype(1) << QStringList{"张三（销售部）"};

    // Thousands of rows: names taken across many words and samples of the rows, between
    // empty and hidden ones, the first rows left out.
    QStringList names;
    QStringList details;
    QList<qsizetype> hidden;
    QStringList expected;
    for (int row = 0; row < 5000; ++row) {
        const bool empty = row % 7 == 6 || (row >= 1000 && row < 1700);
        names.append(empty ? QString() : QStringLiteral("名字%1").arg(row % 900));
        details.append(row % 5 == 0 ? QString() : QStringLiteral("部%1").arg(row % 3));
        if (row % 13 == 5)
            hidden.append(row);
        if (row >= 3 && !empty && row % 13 != 5)
            expected.append(names.last() +
                            (details.last().isEmpty() ? QString() : "（" + details.last() + "）"));
    }
    QTest::newRow("5,000 rows, empty and hidden ones among them")
        << names << details << hidden << qsizetype(3) << expected;

    // Among 2^20 names the search sorts by 43 bits of a name's hash, which these two share:
    // they stay two names, and only the one that repeats is a duplicate.
    names = {"P1514011", "P2309041", "P1514011"};
    for (int row = 3; row < (1 << 20); ++row)
        names.append(QStringLiteral("名字%1").arg(row));
    QTest::newRow("two names of one hash among a million")
        << names << QStringList{} << QList<qsizetype>{} << qsizetype(0) << names;
}

void ImportedNamesTest::givesWhatTheWholeListGives()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, details);
    QFETCH(QList<qsizetype>, hidden);
    QFETCH(qsizetype, firstRow);
    QFETCH(QStringList, expected);
    SheetTable table;
    for (qsizetype row = 0; row < names.size(); ++row) {
        table.setText(row, 0, names[row]);
        table.setText(row, 1, details.value(row));
    }
    for (qsizetype row : hidden)
        table.setRowHidden(row);
    const ImportColumns columns{0, details.isEmpty() ? -1 : 1, firstRow};
    const ImportedNames imported = importNames(table, columns);

    QCOMPARE(imported.names.toStringList(), expected);
    QCOMPARE(imported.names.size(), expected.size());
    qsizetype characters = 0;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        characters += expected[i].size();
        if (imported.names.at(i).toString() != expected[i])
            QFAIL(qPrintable(QStringLiteral("name %1: %2, expected %3")
                                 .arg(i)
                                 .arg(imported.names.at(i).toString(), expected[i])));
    }
    QCOMPARE(imported.names.characters(), characters);

    // The duplicates as the draw's own search finds them in the list written out.
    const NameList whole(expected);
    const QList<DuplicateName> duplicates = findDuplicateNames(whole, {});
    QCOMPARE(imported.duplicates.size(), duplicates.size());
    for (qsizetype i = 0; i < duplicates.size(); ++i) {
        QCOMPARE(imported.duplicates[i].name, duplicates[i].name);
        QCOMPARE(imported.duplicates[i].lineNumbers, duplicates[i].lineNumbers);
    }
    QCOMPARE(importedListBytes(imported.names), importedListBytes(whole));

    // The names keep the cells they came from, whatever becomes of the table after.
    table.setText(0, 0, u"改过的名字");
    table = SheetTable();
    QCOMPARE(imported.names.toStringList(), expected);
    QCOMPARE(imported.duplicates.size(), duplicates.size());
}

int runImportedNamesTest(int argc, char *argv[])
{
    ImportedNamesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "importednamestest.moc"
