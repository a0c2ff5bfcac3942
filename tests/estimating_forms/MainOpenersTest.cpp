#include "CompuestosFrm.h"
#include "ControlCentralFrm.h"
#include "MainFormFixture.h"
#include "RubrosFrm.h"
#include "SimplesFrm.h"
#include "SubCategoriasInsumos.h"
#include "UnidadesFrm.h"

#include <QAction>
#include <QPushButton>

using namespace forms_testing;
using testing_support::ScriptedSeam;

namespace {

struct Opener {
    const char* dialog;
    QAction* TMainForm::*action;
    QToolButton* TMainForm::*button;
    QDialog* (*global)();
};

const Opener kOpeners[] = {
    {"TUnidadesForm", &TMainForm::MenuUnidades, nullptr, []() -> QDialog* { return UnidadesForm; }},
    {"TRubrosForm", &TMainForm::Compuestos1, nullptr, []() -> QDialog* { return RubrosForm; }},
    {"TSubcategoriasSimplesForm", &TMainForm::Simples1, nullptr,
     []() -> QDialog* { return SubcategoriasSimplesForm; }},
    {"TSimplesForm", &TMainForm::OpenSimples, nullptr, []() -> QDialog* { return SimplesForm; }},
    {"TCompuestosForm", &TMainForm::OpenCompuestos, nullptr,
     []() -> QDialog* { return CompuestosForm; }},
    {"TControlForm", nullptr, &TMainForm::btnControlPanel,
     []() -> QDialog* { return ControlForm; }},
};

} // namespace

TEST_F(MainFormTest, DatabaseMenuAndControlButtonOpenTheirDialogs) {
    ScriptedSeam seam;
    openSample(seam);
    for (const Opener& o : kOpeners) {
        SCOPED_TRACE(o.dialog);
        ASSERT_TRUE(Document->Saved != 0);
        ASSERT_FALSE(form->btnSave->isEnabled());
        bool shown = false;
        seam.expectDialog(o.dialog, [&](QDialog& d) {
            shown = true;
            EXPECT_EQ(d.parentWidget(), form);
            EXPECT_EQ(o.global(), &d);
            // A change made in the dialog.
            Document->Saved = 0;
        });
        if (o.action)
            (form->*o.action)->trigger();
        else
            (form->*o.button)->click();
        EXPECT_TRUE(shown);
        EXPECT_EQ(o.global(), nullptr);
        EXPECT_TRUE(form->btnSave->isEnabled());
        Document->Saved = 1;
        form->UpdateSaveButton();
    }
}

TEST_F(MainFormTest, CatalogueOpenersNeedAnOpenDatabaseButThePanelDoesNot) {
    ScriptedSeam seam;
    for (QAction* a : {form->MenuUnidades, form->Compuestos1, form->Simples1, form->OpenSimples,
                       form->OpenCompuestos})
        a->trigger();
    EXPECT_TRUE(seam.log().empty());
    seam.expectDialog("TControlForm", [](QDialog&) {});
    form->btnControlPanel->click();
}

TEST_F(MainFormTest, ControlPanelButtonsReachTheCatalogues) {
    ScriptedSeam seam;
    openSample(seam);
    seam.expectDialog("TControlForm", [](QDialog& d) {
        auto& panel = static_cast<TControlForm&>(d);
        panel.btnCompuestos->click();
        panel.btnSimples->click();
    });
    seam.expectDialog("TCompuestosForm", [](QDialog&) {});
    seam.expectDialog("TSimplesForm", [](QDialog&) {});
    form->btnControlPanel->click();
    EXPECT_TRUE(seam.allAnswered());
}
