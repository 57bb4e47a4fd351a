#pragma once
// Test helper: deletes a folder with everything in it, quietly; a missing one is fine.
#include <windows.h>

#include <shellapi.h>

#include <string>

namespace kolvane::testing_support {

inline void RemoveTree(const std::string& folder) {
    std::string from = folder + '\0';  // the operation takes a double-NUL-terminated list
    SHFILEOPSTRUCTA operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationA(&operation);
}

}  // namespace kolvane::testing_support
