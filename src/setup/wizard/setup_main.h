#pragma once
// The installer's wizard: the program's one window. It owns the installer, reads the command
// line, leads the user through its pages and starts and watches the worker.

#include "WizardLink.h"

#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <vector>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTimer;

namespace setup {
class TInstaller;
}
namespace setup_main {
struct TextRun;
}

class TMainForm : public QWidget, public setup::WizardLink {
    Q_OBJECT
public:
    // The pages of `Notebook`, in their order.
    enum Page : std::uint8_t { Default, Agree, Destination, Type, Install, Done, Error, About };

    struct StartUp {
        QStringList arguments; // without the program's own name
        QString programDir;    // the folder holding the package
        // No screen can show a message box (the offscreen or minimal platform, no display): an
        // unattended run then ends on a failure instead of waiting for an OK no one can give.
        bool screenless = false;
    };

    explicit TMainForm(const StartUp& startUp, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The installer ended during start-up (a fatal package message or a failed unattended gate):
    // the window is not to be shown.
    bool Ended() const { return ended_; }
    // The program's exit code: 0 installed, 1 failed or could not start, 2 cancelled.
    int ExitCode() const { return exitCode_; }
    // Closing has been allowed.
    bool Closed() const { return closed_; }

    setup::TInstaller& installer() { return *Installer; }
    Page CurrentPage() const;

    // Handlers, named as the form binds them.
    void FormCreate();
    void FormDestroy();
    void FormCloseQuery(bool& CanClose);
    void Button2Click();
    void Button3Click();
    void BEndClick();
    void CheckBox1Click();
    bool EDestKeyPress(int key); // true: the key was swallowed
    void Button4Click();
    void Label2Click();
    void Button1Click();
    void Label30Click();
    void LAppWebsiteClick();
    void CoThreadTimer();

    void SetHeader(const QString& title, const QString& subtitle) override;
    void ParseCommandLine();

    static QString NormalizeList(const QString& text, QChar separator);
    static int CountTokens(const QString& text, QChar separator);
    static QString GetToken(const QString& text, int index, QChar separator);

    // The installer maker's web page, shown on the About page.
    static const QString MakerWebsite;

    // setup::WizardLink
    void ClearParts() override;
    void AddPart(const QString& text) override;
    int PartCount() const override;
    QString PartText(int index) const override;
    bool IsPartChecked(int index) const override;
    void SetPartChecked(int index, bool checked) override;
    bool IsCommonShortcutsChecked() const override;
    void DisableCommonShortcuts() override;
    void UseTahomaFont() override;
    void SetProgressText(const QString& text) override;
    void SetProgressPosition(int position) override;
    void SetErrorText(const QString& text) override;
    void SetEndButtonCaption(const QString& caption) override;
    void EnableEndSignal() override;

    // Controls, named as the form names them.
    QFrame* Panel1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Image1 = nullptr;
    QStackedWidget* Notebook = nullptr;
    QFrame* NavBar = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* BEnd = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QLineEdit* EDest = nullptr;
    QPushButton* Button4 = nullptr;
    QListWidget* PartsList = nullptr;
    QCheckBox* CommonSC = nullptr;
    QLabel* Image6 = nullptr;
    QLabel* ProgressLabel = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QLabel* Image8 = nullptr;
    QLabel* LError = nullptr;
    QLabel* Image10 = nullptr;
    QLabel* LAppInfo = nullptr;
    QLabel* LAppWebsite = nullptr;
    QLabel* Label30 = nullptr;
    QPushButton* Button1 = nullptr;
    QTimer* CoThread = nullptr;

    std::unique_ptr<setup::TInstaller> Installer;
    std::uint8_t PageBeforeAbout = Default;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildForm();
    QWidget* AddPage(const char* name);
    QLabel* AddText(QWidget* page, const QString& text, int x, int y, int width = 360);
    void BindHandlers();
    void ShowPage(Page page);
    void ShowPageWithHeader(Page page);
    void EnterDestination();
    void CheckDestination();
    bool LoadLicence();
    void ShowLicence(const std::vector<setup_main::TextRun>& runs);
    void StartUnattended();
    bool PrepareUnattendedRoot();
    void FailUnattended(const QString& reason);
    void EndInstaller();
    void CheckOnlyNamedParts(const QString& list);
    bool IsUnattended() const;
    bool UnattendedByCommandLine() const;

    QStringList arguments_;
    QString programDir_;
    bool screenless_ = false;
    bool destinationGiven_ = false;
    bool ended_ = false;
    bool closed_ = false;
    bool closing_ = false;
    int exitCode_ = 0;
    int labelCount_ = 6;
};

// The one wizard of the running program.
extern TMainForm* MainForm;
