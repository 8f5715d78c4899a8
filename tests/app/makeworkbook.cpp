// Writes the staff list the README's picture of the import shows, as Excel saves it:
//   makeworkbook PATH.xlsx
// 工号, 姓名 and 部门 under a title, the department merged down over its people, an empty
// row between two teams and one person entered twice.
#include "workbookmaker.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PATH.xlsx\n", argv[0]);
        return 1;
    }
    const QStringList names{"张明远", "王雅琴", "李志强", "刘晓燕", "陈思远", "杨洁",   "赵建国",
                            "黄丽华", "周子轩", "吴婷婷", "徐海涛", "孙悦",   "胡文博", "朱佳怡",
                            "高振宇", "林晓峰", "何静怡", "郭宏伟", "马俊杰", "罗晓梅", "梁宇航",
                            "宋欣然", "郑浩然", "谢雨桐", "韩冬",   "唐诗涵", "冯国栋", "于小龙"};
    const QStringList departments{"销售部", "财务部", "技术部", "行政部"};
    WorkbookMaker book;
    WorkbookMaker::Sheet sheet{"员工名单", {}, {"A1:C1"}};
    sheet.rows.append({1, {WorkbookMaker::text("A1", "2027年新春联欢会 参会人员")}});
    sheet.rows.append({2,
                       {WorkbookMaker::text("A2", "工号"), WorkbookMaker::text("B2", "姓名"),
                        WorkbookMaker::text("C2", "部门")}});
    int row = 3;
    for (int i = 0; i < names.size(); ++i) {
        if (i == 14)
            ++row; // an empty row between two teams
        const QString r = QString::number(row);
        WorkbookMaker::Row cells{row,
                                 {WorkbookMaker::number("A" + r, QString::number(10023 + i)),
                                  WorkbookMaker::text("B" + r, names[i])}};
        // The department stands once over its seven people, merged down.
        if (i % 7 == 0) {
            cells.cells.append(WorkbookMaker::text("C" + r, departments[i / 7]));
            sheet.merges.append(QStringLiteral("C%1:C%2").arg(row).arg(row + 6));
        }
        sheet.rows.append(cells);
        ++row;
    }
    // Entered twice.
    const QString r = QString::number(row);
    sheet.rows.append(
        {row,
         {WorkbookMaker::number("A" + r, "10033"), WorkbookMaker::text("B" + r, "吴婷婷"),
          WorkbookMaker::text("C" + r, "财务部")}});
    book.addSheet(sheet);
    book.addSheet({"说明", WorkbookMaker::rowsOf({{"本表由人事部维护"}}), {}, false});
    return book.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
