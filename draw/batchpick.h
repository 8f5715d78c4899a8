#pragma once

#include "candidates.h"
#include "randomsource.h"

#include <QStringList>

// Up to `count` names of the pool as if drawn one after another: each from the pool as the
// stops before it would have left it (no entry that holds an earlier pick, letter case
// aside), so that recording them in order is recording them one by one. Fewer when the
// pool runs out first: as a stop with one name left draws nobody, no pick is made from
// fewer than two names (exactly in a small pool; in a large one, where only names inside
// hundreds of others could bring it there, when a sweep finds it). Each pick is uniform
// over what is left.
QStringList pickBatch(const Candidates &pool, qsizetype count, RandomSource &random);
