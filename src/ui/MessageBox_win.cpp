#include "ui/MessageBox_win.h"

#include <windows.h>

#include "ui/Application_win.h"

namespace kolvane {

namespace {

struct KindStyle {
    const char* caption;  // nullptr: the application title
    UINT icon;
};

KindStyle StyleOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Information: return {"Information", MB_ICONINFORMATION};
        case MessageKind::Warning: return {"Warning", MB_ICONWARNING};
        case MessageKind::Error: return {"Error", MB_ICONERROR};
        case MessageKind::Question: return {"Confirm", MB_ICONQUESTION};
        case MessageKind::Plain: break;
    }
    return {nullptr, 0};
}

UINT ButtonsFlag(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::OkCancel: return MB_OKCANCEL;
        case MessageButtons::YesNo: return MB_YESNO;
        case MessageButtons::Ok: break;
    }
    return MB_OK;
}

}  // namespace

MessageResult ShowMessageBox(const std::string& text, MessageKind kind, MessageButtons buttons) {
    const KindStyle style = StyleOf(kind);
    const std::string caption = style.caption ? style.caption : App().Title();
    switch (MessageBoxA(GetActiveWindow(), text.c_str(), caption.c_str(),
                        style.icon | ButtonsFlag(buttons) | MB_TASKMODAL)) {
        case IDCANCEL: return MessageResult::Cancel;
        case IDYES: return MessageResult::Yes;
        case IDNO: return MessageResult::No;
        default: return MessageResult::Ok;
    }
}

}  // namespace kolvane
