#include "stagescene.h"

#include "cutshort.h"

#include <algorithm>
#include <optional>

namespace {

constexpr qsizetype LongestStageText = 200;

std::optional<PrizeTier> rollingTier(const DrawState &state)
{
    for (PrizeTier tier : AllTiers)
        if (state.captions[tierIndex(tier)] == StopCaption)
            return tier;
    return std::nullopt;
}

bool poolIsEmpty(const DrawState &state)
{
    const Candidates::Condition pool = state.candidates.condition();
    return pool == Candidates::Condition::Empty || pool == Candidates::Condition::NeverFilled;
}

// The newest winner not voided, as the top line of the log shows it.
std::optional<qsizetype> newestPlace(const DrawState &state)
{
    for (qsizetype place = state.winners.size() - 1; place >= 0; --place)
        if (!state.winners[place].voided)
            return place;
    return std::nullopt;
}

// The tier's winners not voided, newest first, and the count against the places.
void listTier(const DrawState &state, PrizeTier tier, qsizetype listed, StageScene &scene)
{
    const std::size_t i = tierIndex(tier);
    const qint32 drawn = state.drawnCount[i];
    const qint32 places = state.quota[i];
    scene.listHeading =
        QStringLiteral("%1中奖名单　%2 / %3").arg(tierRow(tier).statusLabel).arg(drawn).arg(places);
    if (drawn >= places)
        scene.listHeading += QStringLiteral("　名额已满");
    else if (scene.kind == StageScene::Kind::Voided)
        scene.listHeading += QStringLiteral("　名额退回，可重新抽取");
    for (qsizetype place = state.winners.size() - 1; place >= 0 && scene.lines.size() < listed;
         --place) {
        const DrawnWinner &winner = state.winners[place];
        if (!winner.voided && winner.tier == tier)
            scene.lines.append(stageText(winner.name));
    }
}

// The winners a batch press drew, not voided, in the order drawn: they stand together.
QList<qsizetype> placesOfPress(const DrawState &state, qsizetype press)
{
    QList<qsizetype> places;
    for (qsizetype place = 0; place < state.winners.size(); ++place)
        if (state.winners[place].press == press && !state.winners[place].voided)
            places.append(place);
    return places.size() > 1 ? places : QList<qsizetype>();
}

bool showsWinner(const DrawState &state)
{
    return !rollingTier(state) && !(state.lastVoid && *state.lastVoid < state.winners.size());
}

} // namespace

QList<qsizetype> winnersShownTogether(const DrawState &state)
{
    const std::optional<qsizetype> newest = newestPlace(state);
    if (!newest || !showsWinner(state))
        return {};
    return placesOfPress(state, state.winners[*newest].press);
}

QString stageText(QStringView text)
{
    return cutShort(text, LongestStageText);
}

StageScene stageScene(const DrawState &state, qsizetype listed)
{
    StageScene scene;
    scene.title = stageText(state.eventTitle);

    if (const std::optional<PrizeTier> tier = rollingTier(state)) {
        scene.kind = StageScene::Kind::Rolling;
        const QString label = tierRow(*tier).statusLabel.toString();
        if (state.rollHalted) {
            scene.heading = label;
            scene.notice = QStringLiteral("现在只剩下一人参与抽奖");
        } else if (!state.rollShowsName && poolIsEmpty(state)) {
            scene.heading = label;
            scene.notice = QStringLiteral("名单中已没有可抽取的人");
        } else {
            scene.heading = QStringLiteral("正在抽取 ") + label;
            // Until the roll shows a name the display still holds the last winner.
            if (state.rollShowsName)
                scene.name = stageText(state.display);
            if (state.rollShowsName && state.rollNames.size() > 1) {
                for (const QString &name : state.rollNames)
                    scene.names.append(stageText(name));
                scene.heading += QStringLiteral("（一次 %1 人）").arg(scene.names.size());
            }
        }
        return scene;
    }

    if (state.lastVoid && *state.lastVoid < state.winners.size()) {
        const DrawnWinner &voided = state.winners[*state.lastVoid];
        scene.kind = StageScene::Kind::Voided;
        scene.heading = QStringLiteral("作废（未到场）");
        scene.name = stageText(voided.name);
        listTier(state, voided.tier, listed, scene);
        return scene;
    }

    const std::optional<qsizetype> newest = newestPlace(state);
    if (!newest) {
        for (PrizeTier tier : AllTiers) {
            const qint32 places = state.quota[tierIndex(tier)];
            // A tier without places takes no part in the draw.
            if (places > 0)
                scene.lines.append(
                    QStringLiteral("%1　%2 名").arg(tierRow(tier).statusLabel).arg(places));
        }
    } else {
        const DrawnWinner &winner = state.winners[*newest];
        scene.kind = StageScene::Kind::Winner;
        scene.heading = tierRow(winner.tier).statusLabel.toString();
        scene.name = stageText(winner.name);
        for (qsizetype place : placesOfPress(state, winner.press))
            scene.names.append(stageText(state.winners[place].name));
        if (!scene.names.isEmpty())
            scene.heading += QStringLiteral("（本次 %1 人）").arg(scene.names.size());
        listTier(state, winner.tier, listed, scene);
    }
    // Only a stop disables a tier: a draw that has not begun is not complete.
    if (!state.winners.isEmpty() &&
        std::none_of(state.enabled.begin(), state.enabled.end(), [](bool on) { return on; }))
        scene.notice = QStringLiteral("抽奖任务已完成");
    else if (!state.winners.isEmpty() && poolIsEmpty(state))
        scene.notice = QStringLiteral("名单中已没有可抽取的人");
    return scene;
}
