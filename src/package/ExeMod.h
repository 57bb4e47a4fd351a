#pragma once
// The package store of the running program: its own executable file in memory
// (`SelfImage`), the sections appended to it, and the small file utilities around it.
//
// File operations throw PlatformError with the system's text when a file cannot be
// opened, created or written. The current directory is part of the contract of the
// two writers: after WriteStringToFile it is the executable's folder, after
// WriteStringToFileInFolder the target folder; later steps read it.
#include <cstdint>
#include <string>
#include <string_view>

#include "package/PackageImage.h"
#include "package/Sections.h"

namespace kolvane {

extern PackageImage SelfImage;

std::string ExecutablePath();
std::string ExecutableFolder();  // with its trailing backslash

void LoadSelfImage();
bool ExtractSection(std::string_view name, std::string& data);
void ExtractSectionToFile(std::string_view name, const std::string& fileName);
void ExtractSectionToFolder(std::string_view name, const std::string& fileName,
                            const std::string& folder);
void AppendSectionFromString(std::string_view name, std::string payload);
void AppendSectionFromFile(std::string_view name, const std::string& fileName);
void SaveSelfImage(const std::string& fileName);
// Saves only the first `length` bytes, such as the program's image without its package.
void SaveSelfImage(const std::string& fileName, uint64_t length);

void WriteStringToFile(const std::string& data, const std::string& fileName);
// `folder` is created with every missing parent; it must end with a backslash, as the
// file name is joined to it as it is.
void WriteStringToFileInFolder(const std::string& data, const std::string& fileName,
                               const std::string& folder);
std::string LoadFileToString(const std::string& fileName);
// True when `path` names a file (not a folder) that exists.
bool FileExists(const std::string& path);

// Waits at least `milliseconds`, handling every window message that arrives meanwhile.
void Delay(uint32_t milliseconds);

// The drive letter of the Windows folder; 'C' when the system does not tell it.
char WindowsDrive();

}  // namespace kolvane
