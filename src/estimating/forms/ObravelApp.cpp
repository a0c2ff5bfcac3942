#include "ObravelApp.h"

#include "AboutFrm.h"
#include "AppHelp.h"
#include "DebugFrm.h"
#include "DialogKit.h"
#include "Main.h"
#include "ReportFrm.h"

#include "Componentes.h"
#include "ModalSeam.h"
#include "MyStrings.h"
#include "MyUtils.h"
#include "Seams.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QScreen>

using namespace estimating;

void InitializeMainModule() {
    QString folder = QString::fromStdString(LoadResString(SDatabasesFolder));
    folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
    DatabasesDir = QCoreApplication::applicationDirPath() + QLatin1Char('/') + folder;
    delete CostTypeNames;
    CostTypeNames = new QStringList;
    for (std::string_view name : kCostTypeNames)
        CostTypeNames->append(QString::fromUtf8(name.data(), qsizetype(name.size())));
}

void FinalizeMainModule() {
    delete CostTypeNames;
    CostTypeNames = nullptr;
    DatabasesDir.clear();
}

void ConnectCoreToUserInterface() {
    SetMessageSink([](const std::string& text) {
        // A box shown while the busy cursor is up (a reading error) gets the normal pointer.
        struct NormalCursor {
            NormalCursor() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
            ~NormalCursor() { QApplication::restoreOverrideCursor(); }
        } normal;
        modal::showMessage(QString::fromStdString(text));
    });
    SetBusyCursorSink([](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
    SetDecimalMark(QLocale().decimalPoint().toStdString());
}

void CreateApplicationForms() {
    MainForm = new TMainForm;
    DebugForm = new TDebugForm;
    ReportForm = new TReportForm(nullptr);
    AboutBox = new TAboutBox;
}

void DestroyApplicationForms() {
    delete MainForm;
    MainForm = nullptr;
    delete AboutBox;
    AboutBox = nullptr;
    delete ReportForm;
    ReportForm = nullptr;
    delete DebugForm;
    DebugForm = nullptr;
}

int RunObravel(QApplication& app) {
    InitializeMainModule();
    ConnectCoreToUserInterface();
    QApplication::setApplicationName(ApplicationTitle());
    SetApplicationHelpFile(QStringLiteral("Help.hlp"));
    CreateApplicationForms();
    // Centred for when the user restores it from maximised.
    CentreOnScreen(*MainForm);
    MainForm->showMaximized();
    const int rc = app.exec();
    DestroyApplicationForms();
    FinalizeMainModule();
    return rc;
}
