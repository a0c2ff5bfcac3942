#pragma once
// The folder dialog in Windows terms, through the modal seam's folder dialog.

#include <QString>

namespace winplatform {

struct FolderChoice {
    enum class Outcome { Chosen, Cancelled, OutsideWindows };
    Outcome outcome = Outcome::Cancelled;
    QString windowsPath; // when Chosen: "C:\..." without a trailing "\" (but "C:\")
};

// Starts in the folder that windowsStart names when it exists, else at the top of the Windows
// root (all drives). A folder chosen outside the drives of the root gives OutsideWindows.
FolderChoice browseForFolder(const QString& caption, const QString& windowsStart);

} // namespace winplatform
