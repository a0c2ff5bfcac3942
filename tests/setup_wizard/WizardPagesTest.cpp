#include "WizardFixture.h"

#include <QFile>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSet>
#include <QStackedWidget>
#include <QTextBlock>
#include <QTextDocument>

using namespace wizard_testing;

namespace {

void ClickLabel(QLabel* label) {
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, label->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, label->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(label, &press);
    QCoreApplication::sendEvent(label, &release);
}

bool PressKey(QWidget* widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    return press.isAccepted();
}

QStringList CheckedParts(const TMainForm& form) {
    QStringList checked;
    for (int i = 0; i < form.PartsList->count(); ++i)
        if (form.PartsList->item(i)->checkState() == Qt::Checked)
            checked.append(form.PartsList->item(i)->text());
    return checked;
}

} // namespace

TEST_F(SetupWizard, StartsOnTheWelcomePageAsDesigned) {
    Start(BasicPackage());
    ASSERT_FALSE(form->Ended());
    EXPECT_EQ(page(), Page::Default);
    EXPECT_EQ(form->windowTitle(), "Sample - Tavelin Wizard");
    EXPECT_EQ(form->Label6->text(), "Sample");
    EXPECT_EQ(title(), "Welcome to the Setup Wizard!");
    EXPECT_EQ(subtitle(), "This wizard will guide you through the installation progress.");
    EXPECT_FALSE(form->Button3->isEnabled());
    EXPECT_TRUE(form->Button2->isEnabled());
    EXPECT_EQ(form->BEnd->text(), "&Cancel");
    EXPECT_EQ(form->width(), 492);
    EXPECT_EQ(form->height(), 353);
    EXPECT_FALSE(form->Image1->pixmap().isNull());
    EXPECT_EQ(form->Image6->pixmap().toImage(), form->Image2->pixmap().toImage());
    EXPECT_EQ(form->ProgressLabel->text(), "Creating Threads...");
    EXPECT_EQ(form->Label1->pos(), form->Label2->pos() + QPoint(1, 1)); // engraved look
    EXPECT_EQ(form->Label1->text(), "Tavelin");
    EXPECT_EQ(form->Label2->text(), "Tavelin");
    EXPECT_FALSE(form->CommonSC->isChecked());
    EXPECT_EQ(CheckedParts(*form), QStringList({"Program", "Help"}));
    // Windows XP: the version gate gives the form and its own-font labels "Tahoma".
    EXPECT_EQ(form->font().families().value(0), "Tahoma");
    EXPECT_EQ(form->Label3->font().families().value(0), "Tahoma");
    EXPECT_TRUE(form->Label3->font().bold());
    EXPECT_EQ(form->Label30->font().families().value(0), "Tahoma");
    EXPECT_TRUE(form->Label30->font().underline());
}

TEST_F(SetupWizard, ControlsCarryUniqueNames) {
    Start(BasicPackage());
    QSet<QString> names;
    for (QObject* child : form->findChildren<QObject*>()) {
        const QString name = child->objectName();
        if (name.isEmpty() || name.startsWith("qt_"))
            continue;
        EXPECT_FALSE(names.contains(name)) << name.toStdString();
        names.insert(name);
    }
    for (const char* name :
         {"Panel1",    "Label3",   "Label4",   "Image1",        "Notebook",    "NavBar",
          "Label1",    "Label2",   "Button3",  "Button2",       "BEnd",        "Image2",
          "Label5",    "Label6",   "Memo1",    "CheckBox1",     "EDest",       "Button4",
          "PartsList", "CommonSC", "Image6",   "ProgressLabel", "ProgressBar", "Image8",
          "LError",    "Image10",  "LAppInfo", "LAppWebsite",   "Label30",     "Button1",
          "CoThread",  "Default",  "Agree",    "Destination",   "Type",        "Install",
          "Done",      "Error",    "About"})
        EXPECT_TRUE(names.contains(name)) << name;
}

TEST_F(SetupWizard, PagesWithoutLicence) {
    Start(BasicPackage());
    Next();
    EXPECT_EQ(page(), Page::Destination);
    EXPECT_EQ(title(), "Destination Directory");
    EXPECT_EQ(subtitle(), "Select a directory into which this application will be installed.");
    EXPECT_EQ(dest(), "C:\\Program Files\\Sample");
    EXPECT_TRUE(form->Button3->isEnabled());
    Next();
    EXPECT_EQ(page(), Page::Type);
    EXPECT_EQ(title(), "Components Selection");
    EXPECT_EQ(form->installer().InstallRoot, "C:\\Program Files\\Sample");
    Back();
    EXPECT_EQ(page(), Page::Destination);
    Back();
    EXPECT_EQ(page(), Page::Default);
    EXPECT_EQ(title(), "Welcome to the Setup Wizard!");
    EXPECT_FALSE(form->Button3->isEnabled());
    Back(); // disabled: nothing happens
    EXPECT_EQ(page(), Page::Default);
}

TEST_F(SetupWizard, PagesWithLicence) {
    Start(LicensedPackage());
    Next();
    EXPECT_EQ(page(), Page::Agree);
    EXPECT_EQ(title(), "License Agreement");
    EXPECT_EQ(subtitle(), "Read the License Agreement carefully.");
    // The licence's text and styles, not its RTF markup.
    EXPECT_EQ(form->Memo1->document()->toRawText(), "Licence\u2029First line\u2028Second \u00E9");
    EXPECT_TRUE(
        form->Memo1->document()->firstBlock().begin().fragment().charFormat().font().bold());
    EXPECT_FALSE(
        form->Memo1->document()->lastBlock().begin().fragment().charFormat().font().bold());
    EXPECT_FALSE(form->Button2->isEnabled());
    EXPECT_TRUE(form->Button3->isEnabled());

    form->CheckBox1->click();
    EXPECT_TRUE(form->Button2->isEnabled());
    form->CheckBox1->click();
    EXPECT_FALSE(form->Button2->isEnabled());
    form->CheckBox1->click();
    Next();
    EXPECT_EQ(page(), Page::Destination);
    EXPECT_EQ(dest(), "C:\\Program Files\\Sample");

    Back();
    EXPECT_EQ(page(), Page::Agree);
    EXPECT_EQ(title(), "License Agreement");
    Back();
    EXPECT_EQ(page(), Page::Default);
    EXPECT_FALSE(form->Button3->isEnabled());
    EXPECT_TRUE(form->Button2->isEnabled());
}

TEST_F(SetupWizard, LicenceLostAfterLoadingEndsTheInstaller) {
    Start(LicensedPackage());
    ASSERT_TRUE(QFile::remove(packageDir.filePath("license.rtf")));
    seam.expectMessage("license.rtf");
    Next();
    EXPECT_TRUE(form->Ended());
    EXPECT_TRUE(form->Closed());
    EXPECT_NE(form->ExitCode(), 0);
    EXPECT_EQ(seam.beeps, 1);
}

TEST_F(SetupWizard, EnteringDestinationRefillsItButGoingBackDoesNot) {
    Start(BasicPackage());
    Next();
    form->EDest->setText("C:\\Elsewhere");
    Back();
    Next();
    EXPECT_EQ(dest(), "C:\\Program Files\\Sample");
    form->EDest->setText("C:\\Elsewhere\\");
    Next();
    ASSERT_EQ(page(), Page::Type);
    EXPECT_EQ(form->installer().InstallRoot, "C:\\Elsewhere");
    Back();
    EXPECT_EQ(page(), Page::Destination);
    EXPECT_EQ(title(), "Destination Directory");
    EXPECT_EQ(dest(), "C:\\Elsewhere\\");
}

TEST_F(SetupWizard, InvalidDestinationStaysWithABeep) {
    Start(BasicPackage());
    Next();
    QString deep = "C:";
    for (int i = 0; i < 17; ++i)
        deep += "\\" + QString(240, u'd');
    for (const QString& bad : {QString("1:\\Apps"), QString("C"), QString("C;\\Apps"),
                               QString("CC\\Apps"), QString("C:Apps"), QString("Q:\\Apps"),
                               QString("C:\\Bad|Folder"), "C:\\" + QString(256, u'n'), deep}) {
        seam.expectMessage("Invalid Destination Directory!");
        form->EDest->setText(bad);
        Next();
        EXPECT_EQ(page(), Page::Destination) << bad.toStdString();
    }
    EXPECT_EQ(seam.beeps, 9);
    EXPECT_EQ(seam.messages.back().buttons, modal::Buttons::Ok);
}

TEST_F(SetupWizard, ExistingDestinationAsksFirst) {
    Start(BasicPackage());
    Next();
    form->EDest->setText("C:\\Program Files\\");
    seam.expectMessage("Destination Directory already exists.", Answer::No);
    Next();
    EXPECT_EQ(page(), Page::Destination);
    seam.expectMessage("Existing files could be overwritten.", Answer::Yes);
    Next();
    EXPECT_EQ(page(), Page::Type);
    EXPECT_EQ(form->installer().InstallRoot, "C:\\Program Files");
    EXPECT_EQ(seam.messages.back().buttons, modal::Buttons::YesNo);
    EXPECT_EQ(seam.beeps, 2);
}

TEST_F(SetupWizard, EnterInDestinationRunsTheChecks) {
    Start(BasicPackage());
    Next();
    form->EDest->setText("7:\\");
    seam.expectMessage("Invalid Destination Directory!");
    EXPECT_TRUE(PressKey(form->EDest, Qt::Key_Return));
    EXPECT_EQ(page(), Page::Destination);
    EXPECT_EQ(dest(), "7:\\"); // the key is swallowed
    form->EDest->setText("C:\\Fresh");
    PressKey(form->EDest, Qt::Key_Enter);
    EXPECT_EQ(page(), Page::Type);
    EXPECT_EQ(form->installer().InstallRoot, "C:\\Fresh");
}

TEST_F(SetupWizard, BrowseAppendsTheApplicationName) {
    Start(BasicPackage());
    Next();
    windows.writeFile("C:\\Apps\\keep.txt", "x");
    seam.expectFolder(std::nullopt);
    form->Button4->click();
    EXPECT_EQ(dest(), "C:\\Program Files\\Sample");
    seam.expectFolder(windows.host("C:\\Apps"));
    form->Button4->click();
    EXPECT_EQ(dest(), "C:\\Apps\\Sample");
    seam.expectFolder(windows.host("C:\\"));
    form->Button4->click();
    EXPECT_EQ(dest(), "C:\\Sample");
}

TEST_F(SetupWizard, BrowseOutsideWindowsIsRefused) {
    Start(BasicPackage());
    Next();
    QTemporaryDir outside;
    seam.expectFolder(outside.path()).expectMessage("Invalid Destination Directory!");
    form->Button4->click();
    EXPECT_EQ(dest(), "C:\\Program Files\\Sample");
}

TEST_F(SetupWizard, AboutPageKeepsTheHeaderAndReturns) {
    Start(BasicPackage());
    Next();
    ClickLabel(form->Label2);
    EXPECT_EQ(page(), Page::About);
    EXPECT_EQ(title(), "Destination Directory");
    EXPECT_EQ(form->LAppInfo->text(), "Sample Company Sample 1.0");
    EXPECT_EQ(form->LAppWebsite->text(), "http://www.example.com");
    EXPECT_EQ(form->Label30->text(), TMainForm::MakerWebsite);
    EXPECT_EQ(form->Image10->pixmap().toImage(), form->Image8->pixmap().toImage());
    EXPECT_EQ(form->PageBeforeAbout, Page::Destination);

    Next(); // Next and Back keep their state and do nothing here
    Back();
    EXPECT_EQ(page(), Page::About);
    EXPECT_TRUE(form->Button2->isEnabled());
    EXPECT_TRUE(form->Button3->isEnabled());

    form->Button1->click();
    EXPECT_EQ(page(), Page::Destination);
    ClickLabel(form->Label2);
    ClickLabel(form->Label2);
    EXPECT_EQ(page(), Page::Destination);
}

TEST_F(SetupWizard, AboutLinksOpenTheirAddresses) {
    Start(BasicPackage());
    ClickLabel(form->Label2);
    ClickLabel(form->Label30);
    ClickLabel(form->LAppWebsite);
    EXPECT_EQ(windows.openedUrls(),
              QStringList({TMainForm::MakerWebsite, "http://www.example.com"}));
}

TEST_F(SetupWizard, AboutShowsNoAddressForABareScheme) {
    package_writer::Package p = BasicPackage();
    p.header.Website = "http://";
    Start(p);
    ClickLabel(form->Label2);
    EXPECT_EQ(form->LAppWebsite->text(), "");
    ClickLabel(form->LAppWebsite);
    EXPECT_TRUE(windows.openedUrls().isEmpty());
}

TEST_F(SetupWizard, DestinationSwitchFillsTheEditInLowerCaseOnly) {
    Start(BasicPackage(), {"/D:C:\\Upper", "/d:C:\\Lower"});
    EXPECT_EQ(dest(), "C:\\Lower");
    EXPECT_EQ(form->installer().Header.Unattended, 0);
    form.reset();
    Start(BasicPackage(), {"/D:C:\\Upper"});
    EXPECT_EQ(dest(), "C:\\Program Files\\Default");
    // Entering the Destination page puts the package's default in its place.
    form.reset();
    Start(BasicPackage(), {"/d:C:\\Given"});
    Next();
    EXPECT_EQ(dest(), "C:\\Program Files\\Sample");
}

TEST_F(SetupWizard, PartsSwitchKeepsExactlyTheNamedParts) {
    package_writer::Package p = BasicPackage();
    p.componentNames = {"Program", "Help", "Samples", "Extras"};
    p.header.OfferDesktopShortcuts = 1;
    Start(p, {"/p:program||HELP|Add Shortcuts to Desktop|Unknown|"});
    EXPECT_EQ(CheckedParts(*form), QStringList({"Add Shortcuts to Desktop", "Program", "Help"}));

    form.reset();
    Start(p, {"/P:Program"}); // upper case: ignored
    EXPECT_EQ(form->PartsList->count(), 5);
    EXPECT_EQ(CheckedParts(*form).size(), 5);

    form.reset();
    Start(p, {"/p:Help", "/p:Samples||"}); // the later one wins
    EXPECT_EQ(CheckedParts(*form), QStringList({"Samples"}));
}

TEST_F(SetupWizard, PartsSwitchWithAnEmptyOrLongList) {
    Start(BasicPackage(), {"/p:"}); // names nothing
    EXPECT_TRUE(CheckedParts(*form).isEmpty());

    QString many;
    for (int i = 0; i < 20000; ++i)
        many += QStringLiteral("Name%1||").arg(i);
    form.reset();
    Start(BasicPackage(), {"/p:" + many + "help"});
    EXPECT_EQ(CheckedParts(*form), QStringList({"Help"}));
}

TEST_F(SetupWizard, CloseOnTheWelcomePageAsksFirst) {
    Start(BasicPackage());
    seam.expectMessage("Are you sure you want to cancel installation?", Answer::No);
    form->BEnd->click();
    EXPECT_FALSE(form->Closed());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(seam.messages.back().icon, modal::Icon::Warning);
    seam.expectMessage("Are you sure you want to cancel installation?", Answer::Yes);
    form->close();
    EXPECT_TRUE(form->Closed());
    EXPECT_EQ(seam.beeps, 2);
}

TEST_F(SetupWizard, MissingPackageEndsAtOnce) {
    seam.expectMessage("Could not find all required files!");
    StartBesideWrittenPackage();
    EXPECT_TRUE(form->Ended());
    EXPECT_NE(form->ExitCode(), 0);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(SetupWizard, DamagedPackageEndsAtOnce) {
    package_writer::Write(packageDir.path().toStdString(), BasicPackage());
    QFile setupDat(packageDir.filePath("setup.dat"));
    ASSERT_TRUE(setupDat.resize(1307));
    seam.expectMessage("Setup Data File setup.dat invalid or damaged!");
    StartBesideWrittenPackage();
    EXPECT_TRUE(form->Ended());
    EXPECT_FALSE(form->isVisible());
    package_writer::Write(packageDir.path().toStdString(), BasicPackage());
    ASSERT_TRUE(setupDat.resize(2000)); // the file table cut short
    seam.expectMessage("setup.dat");
    StartBesideWrittenPackage();
    EXPECT_TRUE(form->Ended());
}

TEST_F(SetupWizard, UnsupportedWindowsShowsTheErrorPage) {
    ASSERT_TRUE(winplatform::setWindowsVersion(
        windows.platform().registry(), {winplatform::WindowsPlatform::Windows9x, 4, 10, 1998}));
    package_writer::Package p = BasicPackage();
    p.header.AllowAnyWindows = 0;
    p.header.AllowWinXP = 1;
    p.header.RecommendRestart = 1;
    Start(p);
    EXPECT_EQ(page(), Page::Error);
    EXPECT_EQ(title(), "Installation Failed");
    EXPECT_EQ(form->LError->text(),
              "Your Version of Microsoft (R) Windows (TM) is currently not supported by \r\n"
              "Sample.");
    EXPECT_EQ(form->BEnd->text(), "&Close");
    EXPECT_FALSE(form->Button2->isEnabled());
    EXPECT_FALSE(form->CommonSC->isEnabled());
    EXPECT_EQ(form->installer().Header.RecommendRestart, 0);

    // A reason wider than the page wraps, inside a long path too, downwards and within the page.
    QLabel* reason = form->LError;
    reason->setText("Cannot write the file C:\\" + QString(150, u'x') + "\\" + QString(60, u'y'));
    const int lineSpacing = QFontMetrics(reason->font()).lineSpacing();
    EXPECT_TRUE(reason->wordWrap());
    EXPECT_LE(reason->geometry().right(), reason->parentWidget()->width());
    EXPECT_GE(reason->heightForWidth(reason->width()), 3 * lineSpacing);
    EXPECT_LE(reason->heightForWidth(reason->width()), reason->height());
    const QImage drawn = reason->grab().toImage();
    const QRgb background = drawn.pixel(drawn.width() - 1, drawn.height() - 1);
    bool inkOnThirdLine = false;
    for (int y = 2 * lineSpacing; y < 3 * lineSpacing; ++y)
        for (int x = 0; x < drawn.width(); ++x)
            inkOnThirdLine = inkOnThirdLine || drawn.pixel(x, y) != background;
    EXPECT_TRUE(inkOnThirdLine);
    form->BEnd->click(); // no Cancel question and no restart question
    EXPECT_TRUE(form->Closed());
}

TEST_F(SetupWizard, TextsFitTheirLabels) {
    Start(BasicPackage());
    for (QLabel* label : form->findChildren<QLabel*>()) {
        if (label->text().isEmpty() || label->wordWrap())
            continue;
        const int needed = QFontMetrics(label->font()).horizontalAdvance(label->text());
        EXPECT_LE(needed, label->width())
            << label->objectName().toStdString() << " \"" << label->text().toStdString() << "\" "
            << QFontInfo(label->font()).family().toStdString();
    }
}
