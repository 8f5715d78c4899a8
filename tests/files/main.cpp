#include "testsuites.h"

#include <QCoreApplication>
#include <QList>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QList<int (*)(int, char *[])> suites{
        runProgramPathsTest, runNumericConversionsTest, runTextCodecTest,    runTextBlocksTest,
        runGbkNamesTest,     runEncodingGuessTest,      runSettingsFileTest, runCandidateFileTest,
        runWriteTest,        runBadInputTest,           runMillionNamesTest, runProgramLockTest,
        runBatchFileTest};
#ifdef PRIZEDRAW_WRITE_FAULTS
    suites << runWriteFaultTest;
#endif
    int failed = 0;
    for (auto run : suites)
        failed |= run(argc, argv);
    return failed;
}
