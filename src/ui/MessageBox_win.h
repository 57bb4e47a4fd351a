#pragma once
#include <string>

namespace kolvane {

enum class MessageKind { Plain, Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageResult { Ok, Cancel, Yes, No };

// A modal box owned by the active window. Boxes of a kind carry the kind's standard
// caption ("Information", "Warning", "Error", "Confirm"); a plain box carries the
// application title.
MessageResult ShowMessageBox(const std::string& text, MessageKind kind,
                             MessageButtons buttons = MessageButtons::Ok);

}  // namespace kolvane
