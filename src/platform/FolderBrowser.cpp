#include "FolderBrowser.h"

#include "ModalSeam.h"
#include "Platform.h"

#include <QFileInfo>

namespace winplatform {

FolderChoice browseForFolder(const QString& caption, const QString& windowsStart) {
    const WindowsPaths& paths = current().paths();
    auto start = paths.toHost(windowsStart);
    if (!start || !QFileInfo(*start).isDir())
        start = paths.toHost(QStringLiteral("C:\\"));
    const auto chosen = modal::seam().browseFolder(caption, start.value_or(QString()));
    if (!chosen)
        return {FolderChoice::Outcome::Cancelled, {}};
    const auto windows = paths.toWindows(*chosen);
    if (!windows)
        return {FolderChoice::Outcome::OutsideWindows, {}};
    return {FolderChoice::Outcome::Chosen, *windows};
}

} // namespace winplatform
