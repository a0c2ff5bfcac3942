// The text of one report section, built without any window.

#include "PresupuestosTestData.h"
#include "ReportFrm.h"

#include "MyUtils.h"

#include <QDate>
#include <QLocale>
#include <QTableWidget>
#include <gtest/gtest.h>

using namespace budget_testing;

namespace {

QString blanks(int n) {
    return QString(n, ' ');
}

const QString kDate = QStringLiteral("12/9/26");
const QString kUnderline = blanks(3) + QString(99, '_');
const QString kDashes = blanks(3) + QString(99, '-');

const QStringList kTitles = {"Code", "Component", "Un.", "Qty", "U.P:", "Tot.", "Perc."};
const QString kTitleLine = "  |Code    |Component" + blanks(27) + "|Un.   |Qty       |U.P:      |" +
                           "Tot.         |Perc.     |";

// The grid of the Concrete line (quantity 2.5) as the main window shows it.
TReportGrid ConcreteGrid() {
    return {kTitles,
            {"S000001", "Cement", "kg", "    7.500", "    10.00", "       75.00", "    40.00"},
            {"S000002", "Mason", "h", "    5.000", "    20.00", "      100.00", "    53.33"},
            {"S000003", "Mixer", "h", "    2.500", "     5.00", "       12.50", "     6.67"}};
}

class ReportSection : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        data = std::make_unique<SampleBudgets>(doc);
        root.Kind = estimating::kKindCompound;
        root.SubKind = estimating::kSubKindBudget;
        root.Code = data->house->Code();
        root.Name = data->house->Name();
        root.Insumo = data->house;
        root.Quantity = 1.0;
    }
    TReportSelection Selected(TInsumo* input, const TItem* line, bool explosion = false,
                              const QString& filter = {}) {
        return {data->house, input, line, explosion, filter};
    }
    std::unique_ptr<SampleBudgets> data;
    TItem root;
};

} // namespace

TEST(ReportCells, NumbersArePeriodDecimalsWithOptionalSignAndExponent) {
    for (const char* number : {"12", "  12.50", "-3", "+0.5", "1.5E3", "2e-4", "    7.500"})
        EXPECT_TRUE(IsReportNumber(number)) << number;
    for (const char* text :
         {"", " ", "C000012", "12,50", "1.2.3", "12 ", "1e", "inf", "nan", "0x10", "1,234.5"})
        EXPECT_FALSE(IsReportNumber(text)) << text;
}

TEST(ReportCells, TableLineIs103CharactersWithTextLeftAndNumbersRight) {
    const QString line = ReportTableLine(
        {"C000012", "12345", "m2", "    2.500", "    10.00", "       25.00", "   100.00"});
    EXPECT_EQ(line, "  |C000012 |" + blanks(30) + "12345 |m2    |    2.500 |    10.00 |" +
                        "       25.00 |   100.00 |");
    EXPECT_EQ(line.size(), 103);
    EXPECT_EQ(ReportTableLine(kTitles), kTitleLine);
}

TEST(ReportCells, LongTextIsCutToItsColumn) {
    const QString name = "A component name that is much longer than the column";
    const QString line = ReportTableLine({"S000001", name, "m3 units", "1", "2", "3", "4"});
    EXPECT_EQ(line.mid(12, 37), name.left(35) + " |");
    EXPECT_EQ(line.mid(49, 7), "m3 un |");
    EXPECT_EQ(line.size(), 103);
}

TEST(ReportCells, NumberWiderThanItsColumnIsWrittenWhole) {
    const QString line =
        ReportTableLine({"S000001", "Steel", "t", "1234567.500", "99.00", "1122222222.50", "1.00"});
    EXPECT_TRUE(line.contains("|1234567.500 |")) << line.toStdString();
    EXPECT_TRUE(line.contains("|1122222222.50 |")) << line.toStdString();
    // Blanks in front of a wide number are dropped before any digit would be.
    EXPECT_TRUE(ReportTableLine({"", "", "", "       12.5", "", "", ""}).contains("|     12.5 |"));
}

TEST(ReportCells, CommaDecimalsAreLeftAlignedButNeverCut) {
    estimating::SetDecimalMark(",");
    const QString line = ReportTableLine({"S1", "x", "u", "2,500", "1234567,50", "1,00", "0"});
    estimating::SetDecimalMark(".");
    EXPECT_TRUE(line.contains("|2,500     |")) << line.toStdString();
    EXPECT_TRUE(line.contains("|1234567,50 |")) << line.toStdString();
}

TEST(ReportCells, GridCellsTakeTheTitlesFromTheHeader) {
    QTableWidget grid(2, 7);
    grid.setHorizontalHeaderLabels(kTitles);
    grid.setItem(0, 0, new QTableWidgetItem("S000001"));
    grid.setItem(1, 6, new QTableWidgetItem("   12.00"));
    const TReportGrid cells = ReportGridCells(grid);
    ASSERT_EQ(cells.size(), 3U);
    EXPECT_EQ(cells[0], kTitles);
    EXPECT_EQ(cells[1][0], "S000001");
    EXPECT_EQ(cells[1][1], "");
    EXPECT_EQ(cells[2][6], "   12.00");
}

TEST_F(ReportSection, CompoundNodeByteForByte) {
    const QStringList lines =
        BuildReportSection(Selected(data->concrete, data->concreteLine), ConcreteGrid(), kDate);
    const QStringList expected = {
        " ",
        "   Item : Compound",
        "   Date        : 12/9/26",
        "   Name        : Concrete",
        "   Description : ",
        "   Unit        : m3",
        "   Quant.      :        2.500",
        "   U.P.        :        75.00",
        " ",
        "   Direct Cost :       187.50",
        " ",
        kUnderline,
        kTitleLine,
        kDashes,
        "  |S000001 |Cement" + blanks(30) +
            "|kg    |    7.500 |    10.00 |       75.00 |    40.00 |",
        "  |S000002 |Mason" + blanks(31) +
            "|h     |    5.000 |    20.00 |      100.00 |    53.33 |",
        "  |S000003 |Mixer" + blanks(31) +
            "|h     |    2.500 |     5.00 |       12.50 |     6.67 |",
        kDashes,
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(ReportSection, RootNodeIsTheBudgetWithQuantityOne) {
    data->house->SetDescription("Two floors");
    const QStringList lines = BuildReportSection(Selected(data->house, &root), {kTitles}, kDate);
    ASSERT_GE(lines.size(), 10);
    EXPECT_EQ(lines[1], "   Budget");
    EXPECT_EQ(lines[3], "   Name        : House");
    EXPECT_EQ(lines[4], "   Description : Two floors");
    EXPECT_EQ(lines[5], "   Unit        : Gl.");
    EXPECT_EQ(lines[6], "   Quant.      :        1.000");
    // 2.5 x 75 + 4 x 75 + 10 x 20 + 75 = 762.50
    EXPECT_EQ(lines[7], "   U.P.        :       762.50");
    EXPECT_EQ(lines[9], "   Direct Cost :       762.50");
}

TEST_F(ReportSection, DivisionAndSubBudgetLinesNameTheirKind) {
    data->foundationsLine->Quantity = 2;
    QStringList lines =
        BuildReportSection(Selected(data->foundations, data->foundationsLine), {kTitles}, kDate);
    ASSERT_GE(lines.size(), 10);
    EXPECT_EQ(lines[1], "   DIVISION");
    EXPECT_EQ(lines[6], "   Quant.      :        2.000");
    EXPECT_EQ(lines[7], "   U.P.        :       300.00");
    EXPECT_EQ(lines[9], "   Direct Cost :       600.00");

    lines = BuildReportSection(Selected(data->shed, data->shedLine), {kTitles}, kDate);
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[1], "   Item : Budget");
}

TEST_F(ReportSection, BreakdownModeNamesItsFilter) {
    TReportGrid grid = {kTitles, {"S000002", "Mason", "h", "    5.000", "    20.00", "", ""}};
    QStringList lines = BuildReportSection(
        Selected(data->concrete, data->concreteLine, true, "Labor"), grid, kDate);
    ASSERT_GE(lines.size(), 13);
    EXPECT_EQ(lines[10], " ");
    EXPECT_EQ(lines[11], "   Only primaries (Labor)");
    EXPECT_EQ(lines[12], kUnderline);

    lines = BuildReportSection(Selected(data->concrete, data->concreteLine, true), grid, kDate);
    EXPECT_EQ(lines[11], "   Only primaries (All)");

    lines = BuildReportSection(Selected(data->concrete, data->concreteLine), grid, kDate);
    EXPECT_EQ(lines[11], kUnderline);
    EXPECT_FALSE(lines.join('\n').contains("Only primaries"));
}

TEST_F(ReportSection, EmptyDivisionGivesRulesAroundOneBlankRow) {
    TInsumoCompuesto* empty = addCompoundType(doc, estimating::kSubKindDivision, "Empty");
    TItem* line = addLine(*data->house, *empty, 1);
    const TReportGrid grid = {kTitles, {"", "", "", "", "", "", ""}};
    const QStringList lines = BuildReportSection(Selected(empty, line), grid, kDate);
    const QStringList table = lines.mid(11);
    const QString blankRow = "  |" + blanks(8) + "|" + blanks(36) + "|" + blanks(6) + "|" +
                             blanks(10) + "|" + blanks(10) + "|" + blanks(13) + "|" + blanks(10) +
                             "|";
    EXPECT_EQ(table, QStringList({kUnderline, kTitleLine, kDashes, blankRow, kDashes}));
    EXPECT_EQ(lines[7], "   U.P.        :         0.00");
}

TEST_F(ReportSection, TitleRowAloneHasOneDashRule) {
    const QStringList lines =
        BuildReportSection(Selected(data->concrete, data->concreteLine), {kTitles}, kDate);
    EXPECT_EQ(lines.mid(11), QStringList({kUnderline, kTitleLine, kDashes}));
}

TEST_F(ReportSection, NothingForAPrimaryOrWithoutBudgetOrSelection) {
    TItem masonLine;
    masonLine.Kind = estimating::kKindPrimary;
    masonLine.Code = data->mason->Code();
    masonLine.Insumo = data->mason;
    masonLine.Quantity = 10;
    EXPECT_TRUE(
        BuildReportSection(Selected(data->mason, &masonLine), ConcreteGrid(), kDate).isEmpty());

    TReportSelection noBudget = Selected(data->concrete, data->concreteLine);
    noBudget.CurrentBudget = nullptr;
    EXPECT_TRUE(BuildReportSection(noBudget, ConcreteGrid(), kDate).isEmpty());
    EXPECT_TRUE(
        BuildReportSection(Selected(nullptr, data->concreteLine), ConcreteGrid(), kDate).isEmpty());
    EXPECT_TRUE(
        BuildReportSection(Selected(data->concrete, nullptr), ConcreteGrid(), kDate).isEmpty());

    QStringList header;
    WriteReportHeader(header, Selected(data->mason, &masonLine), kDate);
    EXPECT_TRUE(header.isEmpty());
}

TEST(ReportDateText, IsTodayInTheShortFormat) {
    EXPECT_EQ(ReportDate(), QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    EXPECT_FALSE(ReportDate().contains(':'));
}
