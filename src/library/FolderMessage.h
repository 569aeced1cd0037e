#pragma once

#include <QString>
#include <functional>

namespace library {

// How the browser lists tell the user that a folder or volume could not be opened.
enum class MessageIcon { Exclamation, Critical };
using FolderMessage = std::function<void(const QString& text, MessageIcon icon)>;

}  // namespace library
