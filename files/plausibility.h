#pragma once

#include <QStringView>

// How unlikely a decoded text is as something this program's operators type: a sum over
// its characters, linear in its length, where a common hanzi costs 10, a less common one
// 14, an ideograph outside GB2312 24, and a letter of an alphabetic script 4 to 24 by its
// word (accented Latin letters beside plain ones are cheap; a word of one script in one
// of the usual case patterns costs what a common hanzi does; mixed scripts or a case
// pattern such as "лСЦ" cost most; a Hangul syllable costs 14). Emoji and symbols cost
// 12, characters nobody types (controls, unassigned, private use, U+FFFD) 100. ASCII
// other than letters costs nothing. Line ends are not counted.
qsizetype implausibility(QStringView text);

// True when the UTF-8 reading of a file, of cost `utf8Cost`, is clearly likelier than its
// GB18030 reading; a near tie goes to GB18030, the program's own encoding and its
// operators' usual one.
bool isClearlyLikelier(qsizetype utf8Cost, qsizetype gb18030Cost);

// A lead of one reading over the other so large that no rest of a file undoes it: the
// cost of a hundred common hanzi. The costs add up line by line, so judging may stop
// at the end of a line once one reading leads by this much.
constexpr qsizetype DecisiveLead = 1000;
