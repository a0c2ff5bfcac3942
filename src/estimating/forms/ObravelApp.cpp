#include "ObravelApp.h"

#include "AboutFrm.h"
#include "DebugFrm.h"

#include <QApplication>

void InitializeMainModule() {}
void FinalizeMainModule() {}

void CreateApplicationForms() {
    DebugForm = new TDebugForm;
    AboutBox = new TAboutBox;
}

void DestroyApplicationForms() {
    delete AboutBox;
    AboutBox = nullptr;
    delete DebugForm;
    DebugForm = nullptr;
}

int RunObravel(QApplication& app) {
    InitializeMainModule();
    QApplication::setApplicationName(QStringLiteral("Obravel"));
    CreateApplicationForms();
    AboutBox->show();
    int rc = app.exec();
    DestroyApplicationForms();
    FinalizeMainModule();
    return rc;
}
