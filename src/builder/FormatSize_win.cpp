#include "builder/FormatSize_win.h"

#include <windows.h>

#include "builder/FormatSize.h"

namespace kolvane {

std::string FormatSize(int64_t bytes) {
    char separator[8] = ".";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator);
    return FormatSize(bytes, separator[0] ? separator[0] : '.');
}

}  // namespace kolvane
