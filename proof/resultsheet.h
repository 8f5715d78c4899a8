#pragma once

#include "fileresult.h"
#include "prizetier.h"

#include <QList>
#include <QString>

#include <array>

// 抽奖核对单.txt, written beside the report each time the report is written: what a
// guest or an auditor needs to check the draw with prizedraw-verify and against what was
// photographed in the hall. GB18030 with CR LF, like the program's other files.
struct SheetWinner {
    PrizeTier tier;
    QString name;
    QString stamp; // the time of its journal line; empty when that line is not written
    QString code;  // its line's short chain code; empty when not known
    bool typed = false;
    bool voided = false;
    QString voidStamp = {};
    QString voidCode = {}; // of the void's own line
};

// One draw of the evening: from a start to the next reset, settings save or the sheet.
struct SheetDraw {
    QString listName; // the list's file name
    qsizetype names = 0;
    QString sha256; // the list's, in full
    std::array<qint32, 4> quotas{};
    QList<SheetWinner> winners; // in draw order, the voided ones too
};

struct ResultSheet {
    QString title;
    QString time; // when the sheet is written
    // Oldest first; the last is the draw whose winners the report lists, the earlier ones
    // were started afresh.
    QList<SheetDraw> draws;
    QString journalName;
    QString head; // the evening's head (drawproof.h) when the sheet is written
};

inline const QString ResultSheetFileName = QStringLiteral("抽奖核对单.txt");
inline const QString VerifierName = QStringLiteral("prizedraw-verify");

QString resultSheetText(const ResultSheet &sheet);
FileResult writeResultSheet(const QString &path, const ResultSheet &sheet);
