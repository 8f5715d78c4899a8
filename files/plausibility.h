#pragma once

#include <QStringView>

// How unlikely a decoded text is as something this program's operators type: a sum over
// its characters, linear in its length, where a common hanzi costs 10, a less common one
// 14, an ideograph outside GB2312 24, and a letter of an alphabetic script 4 to 24 by its
// word (accented Latin letters beside plain ones are cheap; a word of one script in one
// of the usual case patterns costs what a common hanzi does; mixed scripts or a case
// pattern such as "лСЦ" cost most). Emoji and symbols cost 12, characters nobody types
// (controls, unassigned, private use, U+FFFD) 100. ASCII other than letters costs
// nothing. Line ends are not counted.
qsizetype implausibility(QStringView text);

// True when the UTF-8 reading of a file is clearly likelier than its GB18030 reading; a
// near tie goes to GB18030, the program's own encoding and its operators' usual one.
bool isClearlyLikelier(QStringView utf8Reading, QStringView gb18030Reading);
