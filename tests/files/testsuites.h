#pragma once

// Each test class of tst_files, run by main() one after another.
int runProgramPathsTest(int argc, char *argv[]);
int runNumericConversionsTest(int argc, char *argv[]);
int runTextCodecTest(int argc, char *argv[]);
int runTextBlocksTest(int argc, char *argv[]);
int runGbkNamesTest(int argc, char *argv[]);
int runEncodingGuessTest(int argc, char *argv[]);
int runSettingsFileTest(int argc, char *argv[]);
int runBatchFileTest(int argc, char *argv[]);
int runCandidateFileTest(int argc, char *argv[]);
int runWriteTest(int argc, char *argv[]);
int runBadInputTest(int argc, char *argv[]);
int runWriteFaultTest(int argc, char *argv[]);
int runMillionNamesTest(int argc, char *argv[]);
int runProgramLockTest(int argc, char *argv[]);
