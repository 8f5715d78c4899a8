#pragma once

#include <QString>

// Whether Qt Multimedia has a media backend to load. Qt 6.4 ends the program (qFatal) the
// first time a player or a decoder is made without one, as in a folder copied without its
// multimedia plugins: the sound asks here first, and plays its built-in WAVs regardless.
bool mediaBackendPresent();

// What the operator is told when a music file needs the missing backend.
QString missingBackendText();
