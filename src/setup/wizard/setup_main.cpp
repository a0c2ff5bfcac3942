#include "setup_main.h"

#include "FolderBrowser.h"
#include "ModalSeam.h"
#include "Platform.h"
#include "RtfText.h"
#include "TokenList.h"
#include "WizardArt.h"
#include "WrappingLabel.h"
#include "setup_installer.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QStackedWidget>
#include <QTextCursor>
#include <QTimer>

#include <array>
#include <cstdio>
#include <functional>
#include <optional>
#include <utility>

TMainForm* MainForm = nullptr;

const QString TMainForm::MakerWebsite = QStringLiteral("https://obravel.example.org/tavelin/");

namespace {

namespace art = setup_main::art;

const QString CancelCaption = QStringLiteral("&Cancel");
const QString CloseCaption = QStringLiteral("&Close");
const QString FinishCaption = QStringLiteral("&Finish");
const QString InvalidDestinationText =
    QStringLiteral("Invalid Destination Directory!\r\nYou can use the 'Browse...'-Button to "
                   "select another one.");

constexpr int ClientWidth = 492;
constexpr int ClientHeight = 353;
constexpr int HeaderHeight = 57;
constexpr int SeparatorHeight = 2;
constexpr int NavBarHeight = 57;
constexpr int PageHeight = ClientHeight - HeaderHeight - SeparatorHeight - NavBarHeight;
constexpr int TextLeft = 126;
constexpr int TextWidth = 358;
// A licence longer than this is no licence text but a damaged package.
constexpr qint64 MaxLicenceBytes = 16 * 1024 * 1024;

struct HeaderText {
    const char* title;
    const char* subtitle;
};

// Indexed by TMainForm::Page; the About page keeps the header it was opened from.
const std::array<HeaderText, 7> PageHeaders = {{
    {"Welcome to the Setup Wizard!",
     "This wizard will guide you through the installation progress."},
    {"License Agreement", "Read the License Agreement carefully."},
    {"Destination Directory", "Select a directory into which this application will be installed."},
    {"Components Selection", "Specify which components Setup will install."},
    {"Performing Installation", "The Application is now being installed on your computer."},
    {"Installation Completed", "Setup has successfully completed the Installation."},
    {"Installation Failed", "Setup could not complete the Installation."},
}};

QStringList fontFamilies(const QString& first) {
    return {first,
            QStringLiteral("Microsoft Sans Serif"),
            QStringLiteral("Arial"),
            QStringLiteral("Liberation Sans"),
            QStringLiteral("Nimbus Sans"),
            QStringLiteral("DejaVu Sans")};
}

QFont wizardFont(const QString& family, int pixelSize, bool bold = false) {
    QFont font;
    font.setFamilies(fontFamilies(family));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void makeLink(QLabel* label) {
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 128));
    label->setPalette(palette);
    label->setCursor(Qt::PointingHandCursor);
}

// Beeps first, as every message of the installer but the overwrite question does.
modal::Answer ask(const QString& text, modal::Buttons buttons, modal::Icon icon) {
    return modal::showMessage(text, QStringLiteral("Setup"), buttons, icon, true);
}

// An unattended run may have no one at the screen: each failure box (the ones with only OK) is
// also written to standard error, and where no screen can show it the run goes on at once as
// though OK had been pressed. Every other question passes unchanged.
class UnattendedFailureEcho final : public modal::Seam {
public:
    UnattendedFailureEcho(bool screenless, std::function<bool()> unattended)
        : inner_(modal::seam()), screenless_(screenless), unattended_(std::move(unattended)),
          scoped_(*this) {}

    modal::Answer message(const modal::Message& m) override {
        if (m.buttons != modal::Buttons::Ok || !unattended_())
            return inner_.message(m);
        QString text = m.text;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        std::fflush(stderr);
        return screenless_ ? modal::Answer::Ok : inner_.message(m);
    }
    QString inputBox(const QString& caption, const QString& prompt, const QString& value) override {
        return inner_.inputBox(caption, prompt, value);
    }
    std::optional<QString> openFile(const modal::FileDialog& d) override {
        return inner_.openFile(d);
    }
    std::optional<QString> saveFile(const modal::FileDialog& d) override {
        return inner_.saveFile(d);
    }
    std::optional<QString> browseFolder(const QString& caption,
                                        const QString& initialDir) override {
        return inner_.browseFolder(caption, initialDir);
    }
    int runModal(QDialog& dialog) override { return inner_.runModal(dialog); }
    void showHelp(const QString& helpFile, const QString& topic) override {
        inner_.showHelp(helpFile, topic);
    }
    void beep() override { inner_.beep(); }

private:
    modal::Seam& inner_;
    bool screenless_;
    std::function<bool()> unattended_;
    modal::ScopedSeam scoped_; // last: in force only while the rest is there
};

QString withoutOneTrailingBackslash(QString path) {
    if (path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    return path;
}

} // namespace

TMainForm::TMainForm(const StartUp& startUp, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      arguments_(startUp.arguments), programDir_(startUp.programDir),
      screenless_(startUp.screenless) {
    MainForm = this;
    BuildForm();
    BindHandlers();
    // The package may fail to load before it can say that it is unattended; "/u" already can.
    const UnattendedFailureEcho echo(
        screenless_, [this] { return UnattendedByCommandLine() || IsUnattended(); });
    bool created = false;
    modal::guarded([&] {
        FormCreate();
        created = true;
    });
    if (!created) // the error has been shown; no page may run without an installer
        EndInstaller();
}

TMainForm::~TMainForm() {
    FormDestroy();
    if (MainForm == this)
        MainForm = nullptr;
}

// ---------------------------------------------------------------------------------------------
// The form as designed

void TMainForm::BuildForm() {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Default - Tavelin Wizard"));
    setFixedSize(ClientWidth, ClientHeight);
    setFont(wizardFont(QStringLiteral("MS Sans Serif"), 11));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, ClientWidth, HeaderHeight);
    Panel1->setAutoFillBackground(true);
    QPalette white = Panel1->palette();
    white.setColor(QPalette::Window, Qt::white);
    Panel1->setPalette(white);
    Label3 = new QLabel(Panel1);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(16, 10, 420, 16);
    Label3->setFont(wizardFont(QStringLiteral("MS Sans Serif"), 11, true));
    Label4 = new QLabel(Panel1);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setGeometry(28, 28, 400, 16);
    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(ClientWidth - 48, 12, 32, 32);

    auto* separator = new QFrame(this);
    separator->setObjectName(QStringLiteral("Bevel1"));
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setGeometry(0, HeaderHeight, ClientWidth, SeparatorHeight);

    Notebook = new QStackedWidget(this);
    Notebook->setObjectName(QStringLiteral("Notebook"));
    Notebook->setGeometry(0, HeaderHeight + SeparatorHeight, ClientWidth, PageHeight);

    NavBar = new QFrame(this);
    NavBar->setObjectName(QStringLiteral("NavBar"));
    NavBar->setGeometry(0, ClientHeight - NavBarHeight, ClientWidth, NavBarHeight);
    Label1 = new QLabel(QStringLiteral("Tavelin"), NavBar);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(9, 5, 44, 14);
    QPalette engraved = Label1->palette();
    engraved.setColor(QPalette::WindowText, Qt::white);
    Label1->setPalette(engraved);
    Label2 = new QLabel(QStringLiteral("Tavelin"), NavBar);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(8, 4, 44, 14);
    engraved.setColor(QPalette::WindowText, QColor(128, 128, 128));
    Label2->setPalette(engraved);
    Label2->setCursor(Qt::PointingHandCursor);
    auto* line = new QFrame(NavBar);
    line->setObjectName(QStringLiteral("Bevel2"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(52, 10, ClientWidth - 60, 2);
    Button3 = new QPushButton(QStringLiteral("< &Back"), NavBar);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setGeometry(245, 22, 75, 23);
    Button3->setEnabled(false);
    Button2 = new QPushButton(QStringLiteral("&Next >"), NavBar);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(320, 22, 75, 23);
    Button2->setDefault(true);
    BEnd = new QPushButton(CancelCaption, NavBar);
    BEnd->setObjectName(QStringLiteral("BEnd"));
    BEnd->setGeometry(408, 22, 75, 23);

    const auto picture = [](QWidget* page, const char* name, std::optional<art::Motif> motif) {
        auto* image = new QLabel(page);
        image->setObjectName(QString::fromLatin1(name));
        image->setGeometry(8, 8, art::PictureWidth, art::PictureHeight);
        if (motif)
            image->setPixmap(art::pagePicture(*motif));
        return image;
    };

    QWidget* page = AddPage("Default");
    Image2 = picture(page, "Image2", art::Motif::Welcome);
    Label5 = AddText(page, QStringLiteral("Welcome to the Tavelin Wizard for"), TextLeft, 14);
    Label6 = AddText(page, QString(), TextLeft, 32);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label5->setObjectName(QStringLiteral("Label5"));
    Label6->setFont(wizardFont(QStringLiteral("MS Sans Serif"), 13, true));
    Label6->setGeometry(TextLeft, 32, TextWidth, 18);
    AddText(page, QStringLiteral("This wizard will guide you through the installation progress."),
            TextLeft, 72);
    AddText(page, QStringLiteral("Use the buttons at the bottom to navigate through the steps."),
            TextLeft, 92);
    AddText(page, QStringLiteral("Warning: This program is protected by copyright law and"),
            TextLeft, 190);
    AddText(page, QStringLiteral("international treaties."), TextLeft, 204);

    page = AddPage("Agree");
    picture(page, "Image3", art::Motif::Licence);
    AddText(page, QStringLiteral("You have to accept this licence agreement to continue the"),
            TextLeft, 8);
    AddText(page, QStringLiteral("installation progress."), TextLeft, 22);
    Memo1 = new QPlainTextEdit(page);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(TextLeft, 42, TextWidth, 160);
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    CheckBox1 = new QCheckBox(QStringLiteral("I accept the terms of the licence agreement"), page);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(TextLeft, 208, TextWidth, 18);

    page = AddPage("Destination");
    picture(page, "Image4", art::Motif::Folder);
    AddText(page, QStringLiteral("Select the folder Setup will install this application to."),
            TextLeft, 14);
    AddText(page, QStringLiteral("Destination Directory:"), TextLeft, 62);
    EDest = new QLineEdit(QStringLiteral("C:\\Program Files\\Default"), page);
    EDest->setObjectName(QStringLiteral("EDest"));
    EDest->setGeometry(TextLeft, 80, 276, 21);
    Button4 = new QPushButton(QStringLiteral("Browse..."), page);
    Button4->setObjectName(QStringLiteral("Button4"));
    Button4->setGeometry(408, 79, 75, 23);

    page = AddPage("Type");
    picture(page, "Image5", art::Motif::Components);
    AddText(page, QStringLiteral("Select the components which should be installed."), TextLeft, 8);
    PartsList = new QListWidget(page);
    PartsList->setObjectName(QStringLiteral("PartsList"));
    PartsList->setGeometry(TextLeft, 28, TextWidth, 176);
    PartsList->setUniformItemSizes(true);
    CommonSC = new QCheckBox(QStringLiteral("Make Shortcuts Visible To All Users"), page);
    CommonSC->setObjectName(QStringLiteral("CommonSC"));
    CommonSC->setGeometry(TextLeft, 210, TextWidth, 18);

    page = AddPage("Install");
    Image6 = picture(page, "Image6", std::nullopt);
    AddText(page, QStringLiteral("Setup is now installing the application on your computer."),
            TextLeft, 14);
    AddText(page, QStringLiteral("This may take a few minutes, please wait..."), TextLeft, 34);
    ProgressLabel = AddText(page, QStringLiteral("Creating Threads..."), TextLeft, 100);
    ProgressLabel->setObjectName(QStringLiteral("ProgressLabel"));
    ProgressBar = new QProgressBar(page);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setGeometry(TextLeft, 120, TextWidth, 18);
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);

    page = AddPage("Done");
    Image8 = picture(page, "Image8", art::Motif::Done);
    AddText(page,
            QStringLiteral("Tavelin Wizard has successfully completed the installation process."),
            TextLeft, 14);
    AddText(page,
            QStringLiteral("Please follow the instructions of the application's manual on further "
                           "usage"),
            TextLeft, 42);
    AddText(page, QStringLiteral("instructions."), TextLeft, 56);

    page = AddPage("Error");
    picture(page, "Image7", art::Motif::Failure);
    AddText(page,
            QStringLiteral("An Error occurred while installing the Application on your computer."),
            TextLeft, 14);
    AddText(page, QStringLiteral("Setup could not complete the installation process."), TextLeft,
            32);
    AddText(page, QStringLiteral("Reason:"), TextLeft, 62);
    // A long reason takes the rest of the page downwards, never more than the text's width.
    LError = new WrappingLabel(QStringLiteral("Unknown"), page);
    LError->setObjectName(QStringLiteral("LError"));
    LError->setGeometry(TextLeft, 80, TextWidth, PageHeight - 80 - 8);

    page = AddPage("About");
    Image10 = picture(page, "Image10", std::nullopt);
    AddText(page,
            QStringLiteral("The following Application uses the freely available Tavelin 2 "
                           "Installation"),
            TextLeft, 10);
    AddText(page, QStringLiteral("Suite to get itself installed on your computer:"), TextLeft, 24);
    LAppInfo = AddText(page, QString(), TextLeft, 52);
    LAppInfo->setObjectName(QStringLiteral("LAppInfo"));
    LAppWebsite = AddText(page, QString(), TextLeft, 70);
    LAppWebsite->setObjectName(QStringLiteral("LAppWebsite"));
    makeLink(LAppWebsite);
    AddText(page, QStringLiteral("You can download Tavelin 2 from:"), TextLeft, 110);
    Label30 = AddText(page, MakerWebsite, TextLeft, 128);
    Label30->setObjectName(QStringLiteral("Label30"));
    makeLink(Label30);
    Label30->adjustSize();
    Button1 = new QPushButton(QStringLiteral("&OK"), page);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(408, 204, 75, 23);

    CoThread = new QTimer(this);
    CoThread->setObjectName(QStringLiteral("CoThread"));
    CoThread->setInterval(1);

    SetHeader(QString::fromLatin1(PageHeaders[Default].title),
              QString::fromLatin1(PageHeaders[Default].subtitle));
    Notebook->setCurrentIndex(Default);
}

QWidget* TMainForm::AddPage(const char* name) {
    auto* page = new QWidget;
    page->setObjectName(QString::fromLatin1(name));
    Notebook->addWidget(page);
    return page;
}

QLabel* TMainForm::AddText(QWidget* page, const QString& text, int x, int y, int width) {
    auto* label = new QLabel(text, page);
    label->setObjectName(QStringLiteral("Label%1").arg(++labelCount_));
    label->setGeometry(x, y, width, 14);
    return label;
}

void TMainForm::BindHandlers() {
    const auto bind = [this](QPushButton* button, void (TMainForm::*handler)()) {
        connect(button, &QPushButton::clicked, this, modal::guardedHandler(this, handler));
    };
    bind(Button2, &TMainForm::Button2Click);
    bind(Button3, &TMainForm::Button3Click);
    bind(BEnd, &TMainForm::BEndClick);
    bind(Button4, &TMainForm::Button4Click);
    bind(Button1, &TMainForm::Button1Click);
    connect(CheckBox1, &QCheckBox::clicked, this,
            [this] { modal::guarded([this] { CheckBox1Click(); }); });
    connect(CoThread, &QTimer::timeout, this,
            [this] { modal::guarded([this] { CoThreadTimer(); }); });
    EDest->installEventFilter(this);
    Label2->installEventFilter(this);
    Label30->installEventFilter(this);
    LAppWebsite->installEventFilter(this);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == EDest && event->type() == QEvent::KeyPress) {
        bool swallowed = false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        modal::guarded([&] { swallowed = EDestKeyPress(key); });
        return swallowed;
    }
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == Label2)
            modal::guarded([this] { Label2Click(); });
        else if (watched == Label30)
            modal::guarded([this] { Label30Click(); });
        else if (watched == LAppWebsite)
            modal::guarded([this] { LAppWebsiteClick(); });
    }
    return QWidget::eventFilter(watched, event);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (ended_) {
        closed_ = true;
        event->accept();
        return;
    }
    if (closing_) { // the Cancel question or the wait for the worker is still under way
        event->ignore();
        return;
    }
    bool canClose = true;
    closing_ = true;
    modal::guarded([&] { FormCloseQuery(canClose); });
    closing_ = false;
    if (!canClose) {
        event->ignore();
        return;
    }
    closed_ = true;
    event->accept();
}

// ---------------------------------------------------------------------------------------------
// Start-up and end

void TMainForm::FormCreate() {
    Installer = std::make_unique<setup::TInstaller>(*this);
    QString sourceDir = programDir_;
    if (!sourceDir.endsWith(QLatin1Char('/')))
        sourceDir += QLatin1Char('/');
    Installer->SourceDir = sourceDir;
    if (!Installer->LoadPackage()) {
        EndInstaller();
        return;
    }

    Label6->setText(Installer->AnnounceName);
    setWindowTitle(Installer->AnnounceName + QStringLiteral(" - Tavelin Wizard"));
    const QIcon icon = art::applicationIcon();
    setWindowIcon(icon);
    Image1->setPixmap(icon.pixmap(32, 32));
    Image6->setPixmap(Image2->pixmap());

    ParseCommandLine();

    if (IsUnattended()) {
        StartUnattended();
        return;
    }
    if (!Installer->CheckWindowsVersion()) {
        LError->setText(
            QStringLiteral("Your Version of Microsoft (R) Windows (TM) is currently not supported "
                           "by \r\n") +
            Installer->AnnounceName + QLatin1Char('.'));
        SetHeader(QString::fromLatin1(PageHeaders[Error].title),
                  QString::fromLatin1(PageHeaders[Error].subtitle));
        BEnd->setText(CloseCaption);
        ShowPage(Error);
        Button2->setEnabled(false);
        Installer->Header.RecommendRestart = 0;
        exitCode_ = 1;
    }
}

void TMainForm::FormDestroy() {
    CoThread->stop();
    // The installer waits for a worker that still runs before it goes.
    Installer.reset();
}

// Nothing is left to cancel: the wizard goes without the Cancel question.
void TMainForm::EndInstaller() {
    ended_ = true;
    exitCode_ = 1;
    CoThread->stop();
    close();
    closed_ = true;
}

bool TMainForm::IsUnattended() const {
    return Installer && Installer->Header.Unattended == 1;
}

bool TMainForm::UnattendedByCommandLine() const {
    return arguments_.contains(QStringLiteral("/u"), Qt::CaseInsensitive);
}

void TMainForm::StartUnattended() {
    if (!Installer->CheckWindowsVersion()) {
        FailUnattended(QStringLiteral("This Version of Windows is not supported."));
        return;
    }
    if (!PrepareUnattendedRoot())
        return;
    ShowPageWithHeader(Install);
    Button2->setEnabled(false);
    Button3->setEnabled(false);
    Installer->StartInstallThread();
}

// The Destination page gives `InstallRoot` its value in an interactive run; an unattended one
// takes the "/d:" folder, else the package's default, checked the same way.
bool TMainForm::PrepareUnattendedRoot() {
    const QString destination =
        destinationGiven_ ? EDest->text()
                          : Installer->ExpandPlaceholders(Installer->Header.DefaultDestination);
    EDest->setText(destination);
    if (!Installer->IsValidDestination(destination)) {
        FailUnattended(QStringLiteral("Invalid Destination Directory \"%1\".").arg(destination));
        return false;
    }
    Installer->InstallRoot = withoutOneTrailingBackslash(destination);
    return true;
}

void TMainForm::FailUnattended(const QString& reason) {
    ask(QStringLiteral("Unattended Setup failed!\r\n") + reason, modal::Buttons::Ok,
        modal::Icon::Error);
    EndInstaller();
}

// ---------------------------------------------------------------------------------------------
// Command line

void TMainForm::ParseCommandLine() {
    for (const QString& argument : arguments_) {
        if (argument.toLower() == QLatin1String("/u")) {
            Installer->Header.Unattended = 1;
        } else if (argument.startsWith(QLatin1String("/d:"))) {
            EDest->setText(argument.mid(3));
            destinationGiven_ = true;
        } else if (argument.startsWith(QLatin1String("/p:"))) {
            CheckOnlyNamedParts(argument.mid(3));
        }
    }
}

// Every item starts checked, so the list names exactly the items to keep checked. The tokens are
// those of CountTokens and GetToken, taken in one pass: a long list must not cost its square.
void TMainForm::CheckOnlyNamedParts(const QString& list) {
    const QChar separator = QLatin1Char('|');
    QStringList tokens = NormalizeList(list, separator).split(separator);
    tokens.removeLast(); // what follows the closing separator
    QSet<QString> names;
    for (const QString& token : tokens)
        names.insert(token.toLower());
    for (int i = 0; i < PartCount(); ++i)
        SetPartChecked(i, names.contains(PartText(i).toLower()));
}

QString TMainForm::NormalizeList(const QString& text, QChar separator) {
    return setup_main::NormalizeList(text, separator);
}

int TMainForm::CountTokens(const QString& text, QChar separator) {
    return setup_main::CountTokens(text, separator);
}

QString TMainForm::GetToken(const QString& text, int index, QChar separator) {
    return setup_main::GetToken(text, index, separator);
}

// ---------------------------------------------------------------------------------------------
// Pages

TMainForm::Page TMainForm::CurrentPage() const {
    return static_cast<Page>(Notebook->currentIndex());
}

void TMainForm::SetHeader(const QString& title, const QString& subtitle) {
    Label3->setText(title);
    Label4->setText(subtitle);
}

void TMainForm::ShowPage(Page page) {
    Notebook->setCurrentIndex(page);
}

void TMainForm::ShowPageWithHeader(Page page) {
    if (page < PageHeaders.size())
        SetHeader(QString::fromLatin1(PageHeaders[page].title),
                  QString::fromLatin1(PageHeaders[page].subtitle));
    ShowPage(page);
}

void TMainForm::Button2Click() {
    switch (CurrentPage()) {
    case Default:
        if (Installer->Header.HasLicense == 1) {
            if (!LoadLicence())
                return;
            ShowPageWithHeader(Agree);
            Button2->setEnabled(CheckBox1->isChecked());
        } else {
            EnterDestination();
        }
        Button3->setEnabled(true);
        break;
    case Agree:
        EnterDestination();
        break;
    case Destination:
        CheckDestination();
        break;
    case Type:
        ShowPageWithHeader(Install);
        Button2->setEnabled(false);
        Button3->setEnabled(false);
        Installer->StartInstallThread();
        break;
    default:
        break;
    }
}

void TMainForm::Button3Click() {
    switch (CurrentPage()) {
    case Agree:
        ShowPageWithHeader(Default);
        Button3->setEnabled(false);
        Button2->setEnabled(true);
        break;
    case Destination:
        if (Installer->Header.HasLicense == 1) {
            ShowPageWithHeader(Agree);
        } else {
            ShowPageWithHeader(Default);
            Button3->setEnabled(false);
        }
        break;
    case Type:
        ShowPageWithHeader(Destination);
        break;
    default:
        break;
    }
}

void TMainForm::EnterDestination() {
    ShowPageWithHeader(Destination);
    EDest->setText(Installer->ExpandPlaceholders(Installer->Header.DefaultDestination));
}

void TMainForm::CheckDestination() {
    const QString destination = EDest->text();
    if (!Installer->IsValidDestination(destination)) {
        ask(InvalidDestinationText, modal::Buttons::Ok, modal::Icon::Error);
        return;
    }
    if (winplatform::current().paths().folderExists(destination) &&
        ask(QStringLiteral("Destination Directory already exists.\r\nExisting files could be "
                           "overwritten.\r\nContinue anyway?"),
            modal::Buttons::YesNo, modal::Icon::Question) != modal::Answer::Yes)
        return;
    Installer->InstallRoot = withoutOneTrailingBackslash(destination);
    ShowPageWithHeader(Type);
}

// The licence shows the text of "license.rtf"; a package that lost it since it was loaded cannot
// go on.
bool TMainForm::LoadLicence() {
    QFile file(Installer->SourceDir + QStringLiteral("license.rtf"));
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxLicenceBytes) {
        ask(QStringLiteral("Could not read the License Agreement file license.rtf!\r\nYour Setup "
                           "Package seems to be corrupt or incomplete.\r\nPlease contact your "
                           "software manufacturer.\r\n\r\nSetup cannot continue and will "
                           "terminate now."),
            modal::Buttons::Ok, modal::Icon::Error);
        EndInstaller();
        return false;
    }
    ShowLicence(setup_main::ReadLicenceText(file.readAll()));
    return true;
}

// One edit block: the text box lays the licence out once, not once for every styled piece.
void TMainForm::ShowLicence(const std::vector<setup_main::TextRun>& runs) {
    Memo1->clear();
    QTextCursor cursor(Memo1->document());
    cursor.beginEditBlock();
    for (const setup_main::TextRun& run : runs) {
        QTextCharFormat format;
        format.setFontWeight(run.style.bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(run.style.italic);
        format.setFontUnderline(run.style.underline);
        cursor.insertText(run.text, format);
    }
    cursor.endEditBlock();
    Memo1->moveCursor(QTextCursor::Start);
}

void TMainForm::CheckBox1Click() {
    Button2->setEnabled(CheckBox1->isChecked());
}

bool TMainForm::EDestKeyPress(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    Button2Click();
    return true;
}

void TMainForm::Button4Click() {
    const winplatform::FolderChoice choice = winplatform::browseForFolder(
        QStringLiteral("Select a Destination Directory."), EDest->text());
    switch (choice.outcome) {
    case winplatform::FolderChoice::Outcome::Cancelled:
        return;
    case winplatform::FolderChoice::Outcome::OutsideWindows:
        ask(InvalidDestinationText, modal::Buttons::Ok, modal::Icon::Error);
        return;
    case winplatform::FolderChoice::Outcome::Chosen:
        break;
    }
    QString folder = choice.windowsPath;
    if (!folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('\\');
    EDest->setText(folder + Installer->Header.AppName);
}

// ---------------------------------------------------------------------------------------------
// About page

void TMainForm::Label2Click() {
    if (CurrentPage() == About) {
        Button1Click();
        return;
    }
    Image10->setPixmap(Image8->pixmap());
    const setup::SetupHeader& header = Installer->Header;
    LAppInfo->setText(header.Company + QLatin1Char(' ') + header.AppName + QLatin1Char(' ') +
                      header.Version);
    const bool noAddress =
        header.Website.isEmpty() ||
        header.Website.compare(QLatin1String("http://"), Qt::CaseInsensitive) == 0;
    LAppWebsite->setText(noAddress ? QString() : header.Website);
    LAppWebsite->adjustSize(); // only the address itself is the link
    PageBeforeAbout = CurrentPage();
    ShowPage(About);
}

void TMainForm::Button1Click() {
    ShowPage(static_cast<Page>(PageBeforeAbout));
}

void TMainForm::Label30Click() {
    Installer->OpenUrl(MakerWebsite);
}

void TMainForm::LAppWebsiteClick() {
    if (!LAppWebsite->text().isEmpty())
        Installer->OpenUrl(LAppWebsite->text());
}

// ---------------------------------------------------------------------------------------------
// The worker's end, Finish and Cancel

void TMainForm::CoThreadTimer() {
    CoThread->stop();
    const UnattendedFailureEcho echo(screenless_, [this] { return IsUnattended(); });
    switch (Installer->GetStatus()) {
    case setup::TInstaller::StatusCompleted:
        if (IsUnattended())
            close();
        else
            ShowPage(Done);
        break;
    case setup::TInstaller::StatusNoDiskSpace:
        exitCode_ = 1;
        if (IsUnattended()) {
            ask(QStringLiteral("Unattended Setup failed!\r\nInsufficient free disk space to "
                               "perform the installation."),
                modal::Buttons::Ok, modal::Icon::Error);
            close();
        } else {
            ShowPage(Error);
        }
        break;
    case setup::TInstaller::StatusFailed:
        exitCode_ = 1;
        if (IsUnattended()) {
            ask(QStringLiteral("Unattended Setup failed!\r\n") + Installer->FailureReason,
                modal::Buttons::Ok, modal::Icon::Error);
            close();
        } else {
            ShowPage(Error);
        }
        break;
    default:
        break;
    }
}

void TMainForm::BEndClick() {
    if (BEnd->text() == FinishCaption && Installer && Installer->Header.RecommendRestart == 1 &&
        !IsUnattended() &&
        ask(QStringLiteral("It is strongly recommended to restart your computer now.\r\nDo you "
                           "want Setup to restart your computer?"),
            modal::Buttons::YesNo, modal::Icon::Question) == modal::Answer::Yes)
        winplatform::current().system().requestRestart();
    close();
}

void TMainForm::FormCloseQuery(bool& CanClose) {
    CanClose = true;
    if (BEnd->text() != CancelCaption || !Installer)
        return;
    const bool workerWasRunning = Installer->IsWorkerRunning();
    if (workerWasRunning)
        Installer->SuspendWorker();
    if (ask(QStringLiteral("Are you sure you want to cancel installation?"), modal::Buttons::YesNo,
            modal::Icon::Warning) != modal::Answer::Yes) {
        CanClose = false;
        if (workerWasRunning)
            Installer->ResumeWorker();
        return;
    }
    if (workerWasRunning)
        Installer->EndWorkerAndWait();
    // A worker stopped this way gives no end signal; one that finished meanwhile may have.
    CoThread->stop();
    if (exitCode_ == 0)
        exitCode_ = 2;
}

// ---------------------------------------------------------------------------------------------
// What the installer reaches through its link to the wizard

void TMainForm::ClearParts() {
    PartsList->clear();
}

void TMainForm::AddPart(const QString& text) {
    auto* item = new QListWidgetItem(text, PartsList);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    item->setSizeHint(QSize(0, 20));
}

int TMainForm::PartCount() const {
    return PartsList->count();
}

QString TMainForm::PartText(int index) const {
    const QListWidgetItem* item = PartsList->item(index);
    return item ? item->text() : QString();
}

bool TMainForm::IsPartChecked(int index) const {
    const QListWidgetItem* item = PartsList->item(index);
    return item && item->checkState() == Qt::Checked;
}

void TMainForm::SetPartChecked(int index, bool checked) {
    if (QListWidgetItem* item = PartsList->item(index))
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

bool TMainForm::IsCommonShortcutsChecked() const {
    return CommonSC->isChecked();
}

void TMainForm::DisableCommonShortcuts() {
    CommonSC->setEnabled(false);
}

void TMainForm::UseTahomaFont() {
    const auto tahoma = [](QWidget* widget) {
        QFont font = widget->font();
        font.setFamilies(fontFamilies(QStringLiteral("Tahoma")));
        widget->setFont(font);
    };
    tahoma(this);
    for (QWidget* label : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2),
                           static_cast<QWidget*>(Label5), static_cast<QWidget*>(Label6),
                           static_cast<QWidget*>(Label30), static_cast<QWidget*>(LAppWebsite),
                           static_cast<QWidget*>(Label3)})
        tahoma(label);
}

void TMainForm::SetProgressText(const QString& text) {
    ProgressLabel->setText(text);
}

void TMainForm::SetProgressPosition(int position) {
    ProgressBar->setValue(position);
}

void TMainForm::SetErrorText(const QString& text) {
    LError->setText(text);
}

void TMainForm::SetEndButtonCaption(const QString& caption) {
    BEnd->setText(caption);
}

void TMainForm::EnableEndSignal() {
    CoThread->start();
}
