#include "stagescene.h"

#include "cutshort.h"

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

// The log's lines, newest first, each a tier's log label and the winner.
struct LogLine {
    PrizeTier tier;
    QStringView name;
};

std::optional<LogLine> parseLogLine(QStringView line)
{
    for (PrizeTier tier : AllTiers)
        if (line.startsWith(tierRow(tier).logLabel))
            return LogLine{tier, line.mid(tierRow(tier).logLabel.size())};
    return std::nullopt;
}

// Calls visit(line) for each log line from the newest until it answers false.
template <typename Visit> void forEachLogLine(const QString &log, Visit visit)
{
    const QStringView text(log);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(u"\r\n", start);
        if (end < 0)
            end = text.size();
        if (!visit(text.mid(start, end - start)))
            return;
        start = end + 2;
    }
}

} // namespace

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
        scene.heading = QStringLiteral("正在抽取 ") + tierRow(*tier).statusLabel.toString();
        scene.name = stageText(state.display);
        return scene;
    }

    std::optional<LogLine> newest;
    forEachLogLine(state.log, [&newest](QStringView line) {
        newest = parseLogLine(line);
        return false;
    });
    if (!newest) {
        for (PrizeTier tier : AllTiers) {
            const qint32 places = state.quota[tierIndex(tier)];
            // A tier without places takes no part in the draw.
            if (places > 0)
                scene.lines.append(
                    QStringLiteral("%1　%2 名").arg(tierRow(tier).statusLabel).arg(places));
        }
        return scene;
    }

    const PrizeTier tier = newest->tier;
    scene.kind = StageScene::Kind::Winner;
    scene.heading = tierRow(tier).statusLabel.toString();
    scene.name = stageText(newest->name);
    scene.listHeading = QStringLiteral("%1中奖名单　%2 / %3")
                            .arg(tierRow(tier).statusLabel)
                            .arg(state.drawnCount[tierIndex(tier)])
                            .arg(state.quota[tierIndex(tier)]);
    forEachLogLine(state.log, [&scene, tier, listed](QStringView line) {
        if (scene.lines.size() >= listed)
            return false;
        const std::optional<LogLine> parsed = parseLogLine(line);
        if (parsed && parsed->tier == tier)
            scene.lines.append(stageText(parsed->name));
        return true;
    });
    return scene;
}
