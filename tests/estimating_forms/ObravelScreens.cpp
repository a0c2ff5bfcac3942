// Pictures of the estimator's main window with a budget chosen and of its report window, taken
// from the real forms over the sample database of the tests. Run under Xvfb by
// tools/screenshots-obravel.sh.
// Usage: obravel_screens <output folder>
#include "Frame2.h"
#include "Main.h"
#include "ObravelApp.h"
#include "PresupuestosFrm.h"
#include "ReportFrm.h"
#include "SampleDatabase.h"

#include "ModalSeam.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeWidget>

#include <cstdio>

namespace {

// Opens the sample database and chooses its first budget; anything else is answered No.
class ScreensSeam final : public modal::QuietSeam {
public:
    QString file;
    modal::Answer message(const modal::Message& m) override {
        std::fprintf(stderr, "message: %s\n", m.text.toUtf8().constData());
        return modal::Answer::No;
    }
    std::optional<QString> openFile(const modal::FileDialog&) override { return file; }
    int runModal(QDialog& dialog) override {
        if (auto* list = qobject_cast<TPresupuestosForm*>(&dialog)) {
            list->ChosenCode = QStringLiteral("P000001");
            list->Cancelled = 0;
        }
        return QDialog::Accepted;
    }
};

void settle() {
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
}

bool save(QWidget* window, const QString& folder, const char* name) {
    settle();
    const QString file = QDir(folder).filePath(QString::fromLatin1(name));
    const bool ok = window->grab().save(file);
    std::printf("%s%s\n", file.toUtf8().constData(), ok ? "" : " (not written)");
    return ok;
}

QTreeWidgetItem* child(QTreeWidgetItem* parent, const QString& text) {
    for (int i = 0; parent && i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == text)
            return parent->child(i);
    return nullptr;
}

void select(QTreeWidgetItem* node) {
    MainForm->tvPresu->setCurrentItem(node);
    settle();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: obravel_screens <output folder>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    QTemporaryDir work;
    QApplication::setApplicationName(ApplicationTitle());
    InitializeMainModule();
    ConnectCoreToUserInterface();
    ScreensSeam seam;
    seam.file = work.filePath(QStringLiteral("Sample.cdb"));
    {
        forms_testing::TDocument doc;
        forms_testing::buildSample(doc);
        doc.SetFileName(seam.file.toStdString());
        doc.Save();
    }
    modal::ScopedSeam scoped(seam);
    CreateApplicationForms();
    // Xvfb has no window manager to maximise the window.
    MainForm->resize(1100, 720);
    MainForm->showMaximized();
    settle();
    save(MainForm, out, "01-main-empty.png");

    MainForm->FileOpen();
    QTreeWidgetItem* root = MainForm->tvPresu->topLevelItem(0);
    child(root, QStringLiteral("Foundations"))->setExpanded(true);
    save(MainForm, out, "02-main-budget.png");

    select(child(root, QStringLiteral("Wall")));
    save(MainForm, out, "03-main-compound.png");

    MainForm->frame1->chkExplosion->click();
    MainForm->frame1->rbMao->click();
    save(MainForm, out, "04-main-breakdown-labor.png");
    MainForm->frame1->rbTodos->click();

    select(root);
    MainForm->frame1->btnReport->click();
    settle();
    ReportForm->resize(900, 600);
    save(ReportForm, out, "05-report.png");

    DestroyApplicationForms();
    FinalizeMainModule();
    return 0;
}
