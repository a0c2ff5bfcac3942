#pragma once
// Starting a command line and waiting for it, as CreateProcess with no application name does.

#include <QString>
#include <QStringList>
#include <optional>

namespace winplatform {

struct ProcessOutcome {
    bool started = false; // false: the program is not there or cannot be run here
    int exitCode = -1;    // when started
    QString error;        // why it did not start
};

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // The first token (quoted, or up to a blank; an unquoted path with blanks is tried at each
    // blank as Windows does) names the program: a Windows path mapped into the root, or a bare
    // name looked up in the system32 and Windows folders; ".exe" is added when it has no
    // extension. The rest is split into arguments by the Windows rules. Waits without limit.
    virtual ProcessOutcome runAndWait(const QString& commandLine) = 0;
};

// Windows argument splitting (blanks separate, double quotes group, backslashes escape a quote
// only before it, "" inside quotes is one quote).
QStringList splitArguments(const QString& text);

} // namespace winplatform
