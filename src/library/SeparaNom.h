#pragma once

#include <QString>

namespace library {

// True for the platform's path separators (on Windows both "\" and "/").
bool isPathSeparator(QChar c);

// Names derived from a path. op 2: the file name (text after the last separator; the last
// character itself is never tested). op 0: the artist, the trimmed text of the file name
// before its first "-", or the file name without its last four characters when there is
// none. op 1: the trimmed text after the first "-", extension kept, or "" when there is no
// artist part. Modes 0 and 1 leave the bare file name in `Clave`.
QString SeparaNom(QString& Clave, int op = 0);

}  // namespace library
