#include "testsuites.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int failed = 0;
    for (auto run :
         {runProgramPathsTest, runNumericConversionsTest, runTextCodecTest, runGbkNamesTest,
          runEncodingGuessTest, runSettingsFileTest, runCandidateFileTest, runWriteTest,
          runJournalTest, runBadInputTest, runWriteFaultTest, runMillionNamesTest})
        failed |= run(argc, argv);
    return failed;
}
