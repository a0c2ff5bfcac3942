// The primaries catalogue over the main window: renaming and deleting primaries reach the
// budget tree.

#include "MainFormFixture.h"
#include "SimplesFrm.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using forms_testing::MainFormTest;
using modal::Answer;

namespace {

class PrimariesOverMainWindow : public MainFormTest {
protected:
    // The catalogue showing Labor, whose only primary is Mason.
    std::unique_ptr<TSimplesForm> OpenOnLabor() {
        auto catalogue = std::make_unique<TSimplesForm>(form);
        catalogue->lbCategorias->setCurrentRow(1);
        EXPECT_EQ(catalogue->lbSimples->count(), 1);
        EXPECT_EQ(catalogue->edtNombre->text(), "Mason");
        return catalogue;
    }
};

} // namespace

TEST_F(PrimariesOverMainWindow, RenamingAPrimaryRenamesItsTreeNodes) {
    testing_support::ScriptedSeam seam;
    openSample(seam);
    ASSERT_NE(node({"Mason"}), nullptr);
    auto catalogue = OpenOnLabor();
    catalogue->edtNombre->setText("Bricklayer");
    // Its subcategory is empty, which no list offers: the user has to choose one.
    seam.expectMessage("Wrong or missing data.");
    catalogue->btnAcceptClick();
    EXPECT_EQ(node({"Bricklayer"}), nullptr);
    catalogue->cboSubCategoria->setCurrentIndex(catalogue->cboSubCategoria->findText("Others"));
    catalogue->btnAcceptClick();
    EXPECT_EQ(catalogue->lbSimples->item(0)->text(), "Bricklayer");
    EXPECT_EQ(node({"Mason"}), nullptr);
    ASSERT_NE(node({"Bricklayer"}), nullptr);
    EXPECT_EQ(Document->Saved, 0);
}

TEST_F(PrimariesOverMainWindow, DeletingAPrimaryRebuildsTheTree) {
    testing_support::ScriptedSeam seam;
    openSample(seam);
    TInsumoCompuesto* concrete = Document->Compounds.Find("C000001")->AsCompuesto();
    ASSERT_NE(concrete, nullptr);
    EXPECT_DOUBLE_EQ(concrete->ComputePrice(), 75);
    auto catalogue = OpenOnLabor();
    seam.expectMessage("Are you sure to delete this primary?", Answer::Yes);
    catalogue->btnDeleteClick();
    EXPECT_EQ(catalogue->lbSimples->count(), 0);
    EXPECT_EQ(node({"Mason"}), nullptr);
    ASSERT_NE(root(), nullptr);
    EXPECT_DOUBLE_EQ(concrete->ComputePrice(), 35);
    EXPECT_FALSE(concrete->Items().Exists("S000002"));
    EXPECT_EQ(Document->Saved, 0);
}

TEST_F(PrimariesOverMainWindow, OpensAsAModalDialogOfTheMainWindow) {
    testing_support::ScriptedSeam seam;
    openSample(seam);
    seam.expectDialog("TSimplesForm", [](QDialog& d) {
        auto& catalogue = static_cast<TSimplesForm&>(d);
        EXPECT_EQ(SimplesForm, &catalogue);
        EXPECT_EQ(catalogue.lbSimples->item(0)->text(), "Cement");
        catalogue.btnClose->click();
    });
    ShowSimplesForm(form);
    EXPECT_EQ(SimplesForm, nullptr);
}
