#pragma once

#include "drawengine.h"

#include <QString>
#include <QStringList>

// What the stage view shows of a draw, built from the draw's state alone: the view only
// lays it out and paints it.
struct StageScene {
    enum class Kind {
        Tiers,   // nothing rolls and nobody has won yet: the title and the tiers' places
        Rolling, // a tier rolls: which one, and the name in the display
        Winner,  // nothing rolls: the newest winner, and the winners of that tier
    };

    Kind kind = Kind::Tiers;
    QString title;
    QString heading;     // Rolling: "正在抽取 3等奖"; Winner: the winner's tier
    QString name;        // Rolling: the display; Winner: the newest winner
    QString listHeading; // Winner: the tier's winners so far against its places
    QStringList lines;   // Tiers: one line per tier with places; Winner: that tier's
                         // winners, newest first, at most the number asked for
};

// listed: how many of the winning tier's winners the view has room for.
StageScene stageScene(const DrawState &state, qsizetype listed);

// A name or title of many megabytes (a list whose line ends were lost) would keep the
// text layout busy for minutes: the stage shows it cut short.
QString stageText(QStringView text);
