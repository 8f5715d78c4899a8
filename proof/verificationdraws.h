#pragma once

#include "drawverifier.h"

#include <QString>

#include <functional>

namespace journalcheck {

// Lists one draw of the verification, a line at a time.
void listDraw(const VerifiedDraw &draw, const std::function<void(const QString &)> &line);

} // namespace journalcheck
