#pragma once

#include <QString>

// The operator's own music, beside the program: 抽奖音乐 (while names roll), 中奖音乐 (a
// winner) and 背景音乐 (between rolls), each with whatever extension the file has.
enum class MusicRole { Roll, Fanfare, Background };

QString musicBaseName(MusicRole role);

// The file for `role` in `directory`, or an empty string when there is none. With several
// (抽奖音乐.wav and 抽奖音乐.mp3), the commonest kind wins, so a re-encoded copy beside
// the old file does not make the choice depend on the folder's order.
QString findMusicFile(const QString &directory, MusicRole role);
