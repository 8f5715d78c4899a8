#include <QCoreApplication>
#include <QTest>

int runSheetReadTest(int argc, char *argv[]);
int runBrokenSheetTest(int argc, char *argv[]);
int runImportWriteTest(int argc, char *argv[]);
int runRealSheetTest(int argc, char *argv[]);
int runQuickRowsTest(int argc, char *argv[]);
int runDelimitedBlocksTest(int argc, char *argv[]);
int runSheetTableTest(int argc, char *argv[]);
int runOdsReadTest(int argc, char *argv[]);
int runImportedNamesTest(int argc, char *argv[]);

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    return runSheetReadTest(argc, argv) | runBrokenSheetTest(argc, argv) |
           runImportWriteTest(argc, argv) | runRealSheetTest(argc, argv) |
           runQuickRowsTest(argc, argv) | runDelimitedBlocksTest(argc, argv) |
           runSheetTableTest(argc, argv) | runOdsReadTest(argc, argv) |
           runImportedNamesTest(argc, argv);
}
