#pragma once

#include <QString>

class QFile;

// Whether Qt Multimedia has a media backend to load. Qt 6.4 ends the program (qFatal) the
// first time a player or a decoder is made without one, as in a folder copied without its
// multimedia plugins: the sound asks here first, and plays its built-in WAVs regardless.
bool mediaBackendPresent();

// What the operator is told when a music file needs the missing backend.
QString missingBackendText();

// Opens a music file for reading. Returns why it cannot be read (it does not open, or it is
// empty) in words for the operator, or an empty string.
QString openMusicFile(QFile &file);

// What the operator is told when the platform's decoder gives up on a file. Its own words
// are English and technical: the operator learns what to do instead.
QString undecodableText();
