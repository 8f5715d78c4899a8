#pragma once

#include <QString>

// The outcome of reading or writing one file. `error` is empty on success, otherwise
// a sentence for the operator that names the full path and the reason.
struct FileResult {
    QString error;
    bool ok() const { return error.isEmpty(); }
};
