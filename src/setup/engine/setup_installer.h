#pragma once
// The installer's state and its services: the package read from `SourceDir`, the temporary
// folder, placeholder expansion, the version gate, and the installation engine that runs on the
// worker thread `TInstallThread`.
//
// Paths: `SourceDir` is a folder of this machine (the folder of the running program, with a
// trailing separator); every path taken from the package, and `InstallRoot` and `TempDir`, are
// Windows paths ("C:\...") that the platform layer maps into its Windows root.

#include "BodyReader.h"
#include "WizardLink.h"
#include "sharedtypes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace setup {

class FileReplacement;
class TInstallThread;

// A step failed in a way the installation cannot go on from; the text is the reason shown.
class EInstallFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "HKEY_LOCAL_MACHINE" and the other predefined roots; empty for any other value.
QString RootKeyName(std::int32_t root);

// The header of the package in the folder `sourceDir` (a folder of this machine), read alone,
// before the program has a window; nothing when "setup.dat" is missing or shorter than a header.
std::optional<SetupHeader> ReadPackageHeader(const QString& sourceDir);

class TInstaller {
public:
    // Values of `Status`.
    static constexpr std::uint8_t StatusNone = 0;
    static constexpr std::uint8_t StatusCompleted = 2;
    static constexpr std::uint8_t StatusNoDiskSpace = 3;
    // A step failed with an error of its own: `FailureReason` says which; the worker has set the
    // Error header, `LError` and "&Close" as for a lack of disk space.
    static constexpr std::uint8_t StatusFailed = 4;

    // Answers kept in `OverwriteAnswer`.
    static constexpr std::int32_t AnswerYes = 6;
    static constexpr std::int32_t AnswerNo = 7;
    static constexpr std::int32_t AnswerNoToAll = 9;
    static constexpr std::int32_t AnswerYesToAll = 10;

    // Create. `wizard` must outlive the installer. Runs on the user-interface thread, which then
    // owns the installer.
    explicit TInstaller(WizardLink& wizard);
    // Destroy: a worker still running is asked to end and waited for first.
    ~TInstaller();
    TInstaller(const TInstaller&) = delete;
    TInstaller& operator=(const TInstaller&) = delete;

    // Loading. False when a fatal package message has been shown: the installer must end now,
    // without any page, step or worker.
    bool LoadPackage();
    void CreateTempDir();
    void FillComponentList();

    QString ExpandPlaceholders(const QString& text) const;
    QString GetEnvVar(const QString& name) const;
    static QString ReplaceAll(const QString& text, const QString& oldText, const QString& newText);
    bool IsValidDestination(const QString& text) const;
    bool CheckWindowsVersion();
    // Windows path; the four version parts joined as decimal digits (1.2.3.4 gives 1234), 0 when
    // the file has no version. Joined digits beyond the 32-bit range give 0 as well.
    static std::int32_t GetFileVersionNumber(const QString& path);
    // Only http:// and https:// addresses are opened.
    void OpenUrl(const QString& address);

    // The engine, from the user-interface thread.
    // `suspended`: the worker stops at its first end test until resumed or ended, as when Cancel
    // is pressed the moment it starts.
    void StartInstallThread(bool suspended = false);
    // Cancel: the worker stops at its next end test until resumed.
    void SuspendWorker();
    void ResumeWorker();
    // Asks the worker to end, resumes it and waits for its end while serving its synchronised
    // calls. Returns at once when no worker runs.
    void EndWorkerAndWait();
    bool IsWorkerRunning() const { return WorkerRunning.load() != 0; }
    std::uint8_t GetStatus() const { return Status.load(); }

    // Steps of the installation, in the order the worker runs them. Each failure that has no
    // path of its own throws EInstallFailure.
    bool IsComponentChecked(const QString& name) const;
    bool CheckFreeDiskSpace();
    void AskOverwrite();
    void InstallFiles();
    void WriteRegistryValues();
    void RegisterUninstaller();
    bool IsShortcutWanted(const QString& folder) const;
    void CreateShortcuts();
    void CreateShortcut(const QString& folder, const QString& target, int iconIndex,
                        const QString& iconFile, bool hasIcon, const QString& name,
                        const QString& arguments);
    void RegisterDlls();
    void RunFinalCommands();

    // The tables read by `LoadPackage`, 1-based as the lists hold them; nullptr out of range.
    int RegistryEntryCount() const;
    int ShortcutEntryCount() const;
    int FileEntryCount() const;
    const RegistryEntry* RegistryEntryAt(int index) const;
    const ShortcutEntry* ShortcutEntryAt(int index) const;
    const FileEntry* FileEntryAt(int index) const;

    // Package tables and state.
    QStringList ComponentNames;
    QStringList DllPaths;
    QStringList RunAfterCommands;
    QStringList UninstallCommands;
    QString TempDir;
    SetupHeader Header;
    QString SourceDir;
    QString InstallRoot;
    QString AnnounceName;
    std::atomic<std::uint8_t> Status{StatusNone};
    std::atomic<std::uint8_t> WorkerRunning{0};
    QString CurrentTarget;
    std::int32_t OverwriteAnswer = 0;
    QString FailureReason;

private:
    friend class TInstallThread;
    struct Tables;

    bool FailLoading(const QString& message);
    // A file of the package folder, whether or not `SourceDir` ends in a separator.
    QString SourceFile(const char* name) const;
    void ReadSetupDat(const QString& path);
    void CopyUninstaller(const QString& dataPakPath);
    void ComposeAnnounceName();
    bool IsCommonShortcutsChecked() const;
    QString ShellFolderPath(int commonCsidl, int userCsidl) const;
    QString QuickLaunchFolder() const;
    QString ExpandEnvironment(QString text) const;
    void CheckPackageBounds(qint64 dataPakSize) const;
    // Worker-side helpers.
    bool Terminated() const;
    void Report(std::function<void(WizardLink&)> update) const;
    void SetProgressText(const QString& text) const;
    void SetProgress(double position) const;
    void WriteLog(const QString& kind, const QString& argument);
    void WriteLogText(const std::string& lines);
    void ChangeRegistry(const std::function<void()>& step);
    QString EnsureFolder(const QString& windowsFolder, bool logIt);
    std::vector<BodyLocation> CheckedBodies() const;
    void CheckBody(const TBodyReader::Body& body) const;
    void InstallOneFile(const QString& hostTarget, const TBodyReader::Body& body);
    void WriteRegistryEntries();
    void WriteRegistryValue(const RegistryEntry& entry, const QString& key, const QString& name);
    void WriteUninstallEntry(const QString& name);
    void CreateShortcutFor(ShortcutEntry& entry);
    void Execute();
    void ReportFailure(const QString& reason);

    WizardLink& wizard_;
    std::unique_ptr<Tables> tables_;
    std::unique_ptr<TInstallThread> Worker;
    std::unique_ptr<FileReplacement> UninstallLog;
    // While a step changes the registry, its log lines wait here for the registry file's write.
    std::string* pendingLog_ = nullptr;
    // The component check states and CommonSC as they were when the worker started; the worker
    // reads these, never the wizard's controls.
    struct Choices {
        QStringList checkedParts;
        bool commonShortcuts = false;
    };
    std::optional<Choices> choices_;
};

} // namespace setup
