#pragma once
// Special folders of the shell, asked for by their CSIDL number.

#include <QString>
#include <optional>

namespace winplatform {

namespace ShellFolder {
inline constexpr int Desktop = 0x00;
inline constexpr int Programs = 0x02;
inline constexpr int Startup = 0x07;
inline constexpr int StartMenu = 0x0B;
inline constexpr int CommonStartMenu = 0x16;
inline constexpr int CommonPrograms = 0x17;
inline constexpr int CommonStartup = 0x18;
inline constexpr int CommonDesktop = 0x19;
inline constexpr int AppData = 0x1A;
inline constexpr int CommonAppData = 0x23;
} // namespace ShellFolder

class ShellFolders {
public:
    virtual ~ShellFolders() = default;
    // Windows path without a trailing "\" ("C:\Documents and Settings\All Users\Desktop");
    // nullopt for a folder the machine does not know.
    virtual std::optional<QString> folderPath(int csidl) const = 0;
};

} // namespace winplatform
