#pragma once

#include "drawengine.h"

#include <QString>
#include <QStringList>

// What the stage view shows of a draw, built from the draw's state alone: the view only
// lays it out and paints it. Every field is true of the state it was built from: the
// audience never sees a name under a heading it does not belong to.
struct StageScene {
    enum class Kind {
        Tiers,   // nothing rolls and nobody has won yet: the title and the tiers' places
        Rolling, // a tier rolls: which one, and the name the roll shows
        Winner,  // nothing rolls: the newest winner, and the winners of that tier
        Voided,  // a winner was just voided: who, and the place it left open
    };

    Kind kind = Kind::Tiers;
    QString title;
    QString heading;     // Rolling: "正在抽取 3等奖", or the tier alone when nothing can
                         // roll; Winner: the winner's tier; Voided: "作废（未到场）"
    QString name;        // Rolling: the name shown, empty until the roll shows one;
                         // Winner: the newest winner; Voided: the voided winner
    QStringList names;   // Rolling: the names a batch shows; Winner: the winners of the
                         // last press when it drew several, in the order drawn (`name` is
                         // the last of them). Empty for a single name.
    QString listHeading; // Winner, Voided: the tier's winners against its places
    QStringList lines;   // Tiers: one line per tier with places; Winner, Voided: that
                         // tier's winners, newest first, at most the number asked for
    QString notice;      // what the audience should know: one name left, no name left,
                         // every place drawn
};

// listed: how many of a tier's winners the view has room for.
StageScene stageScene(const DrawState &state, qsizetype listed);

// Where the winners a Winner scene shows together (its `names`) stand in state.winners,
// in the same order; empty when the scene shows one winner or none.
QList<qsizetype> winnersShownTogether(const DrawState &state);

// A name or title of many megabytes (a list whose line ends were lost) would keep the text
// layout busy for minutes: the stage shows it cut short.
QString stageText(QStringView text);
