#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace app {

// The lines of a map file, one "Name = value" each. Blank lines and lines that start with "#"
// are skipped; every other line goes to `take` with its number (from 1) and its two sides,
// split at the first "=" and trimmed. A line without "=" (not of the `form` named, such as
// "Action = Key"), or one that `take` refuses by saying why, is said in `problems` as
// "line 4: why, skipped".
using NamedLine = std::function<QString(int line, const QString& name, const QString& value)>;
void readNamedLines(const QString& text, const char* form, QStringList* problems,
                    const NamedLine& take);

}  // namespace app
