// "Add to report" from the main window: the sections of the real item grid, byte for byte.

#include "MainFormFixture.h"
#include "SimplesFrm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

using forms_testing::MainFormTest;

namespace {

QString blanks(int n) {
    return QString(n, ' ');
}

const QString kUnderline = blanks(3) + QString(99, '_');
const QString kDashes = blanks(3) + QString(99, '-');
const QString kTitleLine = "  |Code    |Component" + blanks(27) +
                           "|Un.   |Qty       |U.P:      |Tot.         |Perc.     |";

QString Row(const QString& code, const QString& name, const QString& unit, const QString& qty,
            const QString& price, const QString& total, const QString& share) {
    return "  |" + code.leftJustified(7) + " |" + name.leftJustified(35) + " |" +
           unit.leftJustified(5) + " |" + qty.rightJustified(9) + " |" + price.rightJustified(9) +
           " |" + total.rightJustified(12) + " |" + share.rightJustified(9) + " |";
}

QStringList Header(const QString& kind, const QString& name, const QString& unit,
                   const QString& qty, const QString& price, const QString& cost) {
    return {" ",
            kind,
            "   Date        : " + ReportDate(),
            "   Name        : " + name,
            "   Description : ",
            "   Unit        : " + unit,
            "   Quant.      : " + qty.rightJustified(12),
            "   U.P.        : " + price.rightJustified(12),
            " ",
            "   Direct Cost : " + cost.rightJustified(12),
            " "};
}

class ReportFromMainWindow : public MainFormTest {
protected:
    void AddToReport() { form->frame1->btnReport->click(); }
    QStringList Report() const { return ReportForm->Lines(); }
};

} // namespace

TEST_F(ReportFromMainWindow, RootSection) {
    testing_support::ScriptedSeam seam;
    openSample(seam);
    AddToReport();
    EXPECT_TRUE(ReportForm->isVisible());
    const QStringList expected =
        Header("   Budget", "House", "Gl.", "1.000", "976.00", "976.00") +
        QStringList{kUnderline,
                    kTitleLine,
                    kDashes,
                    Row("D000002", "Foundations", "Gl.", "1.000", "302.00", "302.00", "30.94"),
                    Row("C000002", "Wall", "m2", "3.000", "158.00", "474.00", "48.57"),
                    Row("S000002", "Mason", "h", "10.000", "20.00", "200.00", "20.49"),
                    Row("D000003", "Roof", "Gl.", "1.000", "0.00", "0.00", "0.00"),
                    kDashes};
    EXPECT_EQ(Report(), expected);
}

TEST_F(ReportFromMainWindow, DivisionSectionInAndOutOfBreakdown) {
    testing_support::ScriptedSeam seam;
    openSample(seam);
    click(node({"Foundations"}));
    AddToReport();
    const QStringList direct =
        Header("   DIVISION", "Foundations", "Gl.", "1.000", "302.00", "302.00") +
        QStringList{kUnderline,
                    kTitleLine,
                    kDashes,
                    Row("C000001", "Concrete", "m3", "4.000", "75.00", "300.00", "99.34"),
                    Row("S000005", "Permit", "Gl.", "1.000", "2.00", "2.00", "0.66"),
                    kDashes};
    EXPECT_EQ(Report(), direct);

    form->frame1->chkExplosion->click();
    ReportForm->ClearReport();
    AddToReport();
    const QStringList exploded =
        Header("   DIVISION", "Foundations", "Gl.", "1.000", "302.00", "302.00") +
        QStringList{"   Only primaries (All)",
                    kUnderline,
                    kTitleLine,
                    kDashes,
                    Row("S000001", "Cement", "kg", "12.000", "10.00", "120.00", "39.74"),
                    Row("S000002", "Mason", "h", "8.000", "20.00", "160.00", "52.98"),
                    Row("S000003", "Mixer", "h", "4.000", "5.00", "20.00", "6.62"),
                    Row("S000005", "Permit", "Gl.", "1.000", "2.00", "2.00", "0.66"),
                    kDashes};
    EXPECT_EQ(Report(), exploded);
}

TEST_F(ReportFromMainWindow, CompoundSectionWithACostTypeFilter) {
    testing_support::ScriptedSeam seam;
    openSample(seam);
    click(node({"Wall"}));
    form->frame1->chkExplosion->click();
    form->frame1->rbMao->click();
    AddToReport();
    const QStringList expected =
        Header("   Item : Compound", "Wall", "m2", "3.000", "158.00", "474.00") +
        QStringList{"   Only primaries (Labor)",
                    kUnderline,
                    kTitleLine,
                    kDashes,
                    Row("S000002", "Mason", "h", "12.000", "20.00", "240.00", "50.63"),
                    kDashes};
    EXPECT_EQ(Report(), expected);
}

TEST_F(ReportFromMainWindow, APriceChangedInThePrimariesCatalogueReachesTheGrid) {
    testing_support::ScriptedSeam seam;
    openSample(seam);
    click(node({"Wall"}));
    seam.expectDialog("TSimplesForm", [](QDialog& d) {
        auto& catalogue = static_cast<TSimplesForm&>(d);
        catalogue.lbCategorias->setCurrentRow(1);
        ASSERT_EQ(catalogue.edtNombre->text(), "Mason");
        catalogue.edtPU->setText("30");
        catalogue.cboSubCategoria->setCurrentIndex(catalogue.cboSubCategoria->findText("Others"));
        catalogue.btnAcceptClick();
        catalogue.btnClose->click();
    });
    form->OpenSimplesClick();
    AddToReport();
    // Concrete = 3 x 10 + 2 x 30 + 5 = 95; Wall = 2 x 95 + 8 = 198.
    const QStringList expected =
        Header("   Item : Compound", "Wall", "m2", "3.000", "198.00", "594.00") +
        QStringList{kUnderline,
                    kTitleLine,
                    kDashes,
                    Row("C000001", "Concrete", "m3", "6.000", "95.00", "570.00", "95.96"),
                    Row("S000004", "Painting", "m2", "3.000", "8.00", "24.00", "4.04"),
                    kDashes};
    EXPECT_EQ(Report(), expected);
}

TEST_F(ReportFromMainWindow, EmptyDivisionGivesOneBlankRow) {
    testing_support::ScriptedSeam seam;
    openSample(seam);
    click(node({"Roof"}));
    AddToReport();
    const QStringList lines = Report();
    ASSERT_EQ(lines.size(), 16);
    EXPECT_EQ(lines.mid(11), QStringList({kUnderline, kTitleLine, kDashes,
                                          Row("", "", "", "", "", "", ""), kDashes}));
}

TEST_F(ReportFromMainWindow, SectionsPileUpUntilAnotherBudgetIsChosen) {
    testing_support::ScriptedSeam seam;
    openSample(seam);
    AddToReport();
    const QStringList rootSection = Report();
    click(node({"Foundations"}));
    AddToReport();
    EXPECT_EQ(Report().mid(0, rootSection.size()), rootSection);
    EXPECT_GT(Report().size(), rootSection.size());
    ReportForm->btnClose->click();
    EXPECT_FALSE(ReportForm->isVisible());
    form->frame1->btnVerReporte->click();
    EXPECT_TRUE(ReportForm->isVisible());
    EXPECT_EQ(Report().mid(0, rootSection.size()), rootSection);

    expectBudgetChoice(seam, "P000004");
    form->OpenPresupuestosClick();
    EXPECT_TRUE(Report().isEmpty());
}

TEST_F(ReportFromMainWindow, APrimaryNodeAddsNothing) {
    testing_support::ScriptedSeam seam;
    openSample(seam);
    click(node({"Mason"}));
    AddToReport();
    EXPECT_TRUE(Report().isEmpty());
    EXPECT_FALSE(ReportForm->isVisible());
}

TEST_F(ReportFromMainWindow, NothingWithoutABudget) {
    AddToReport();
    EXPECT_TRUE(Report().isEmpty());
    EXPECT_FALSE(ReportForm->isVisible());
}
