#include "AppHelp.h"

#include "ModalSeam.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
QString helpFile;
}

void SetApplicationHelpFile(const QString& file) {
    helpFile = file;
}

QString ApplicationHelpFile() {
    return helpFile;
}

QString HelpPagePath() {
    const QString base = QFileInfo(helpFile).completeBaseName();
    return QDir(QCoreApplication::applicationDirPath()).filePath(base + QStringLiteral(".html"));
}

void ShowHelpTopic(const QString& topic) {
    modal::seam().showHelp(HelpPagePath(), topic);
}
