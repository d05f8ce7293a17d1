#include "DeleteAtRestart.h"

#include <fstream>

#include "SetupSystem.h"

namespace imvexa {

namespace {

// The file's lines without their line ends; none when it does not exist.
std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream file(path, std::ios::binary);
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines) file << line << "\r\n";
}

void ListInWininit(const std::vector<std::string>& paths, const std::string& windowsFolder) {
    const std::string wininit = PathIn(windowsFolder, "WININIT.INI");
    if (wininit.empty()) return;
    std::vector<std::string> lines = ReadLines(wininit);
    lines.push_back("[rename]");
    for (const std::string& path : paths) lines.push_back("NUL=" + path);
    WriteLines(wininit, lines);
}

}  // namespace

void DeleteAtRestart(const std::vector<std::string>& paths, DWORD platformId, const std::string& windowsFolder) {
    if (platformId == VER_PLATFORM_WIN32_WINDOWS) {
        ListInWininit(paths, windowsFolder);
        return;
    }
    for (const std::string& path : paths) MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

}  // namespace imvexa
