#include "ReportFrm.h"

#include "DialogKit.h"

#include "Componentes.h"
#include "ModalSeam.h"
#include "MyUtils.h"

#include <QDate>
#include <QFont>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QTableWidget>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include <numeric>
#include <stdexcept>

TReportForm* ReportForm = nullptr;

namespace {

constexpr int kReportColumns = 7;
constexpr int kRuleLength =
    std::accumulate(std::begin(ReportColumnWidths), std::end(ReportColumnWidths), 0) + 13;

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

QString Rule(QChar c) {
    return QStringLiteral("   ") + QString(kRuleLength, c);
}

QString Fixed(double value, int width, int decimals) {
    return fromUtf8(estimating::FormatFixed(value, width, decimals));
}

// A number written with the locale's decimal mark is no number to the report's
// alignment, but its digits must not be cut either.
bool IsLocaleNumber(const QString& text) {
    double ignored = 0;
    return estimating::TryStrToFloat(text.toStdString(), ignored);
}

QString ReportCell(const QString& text, int width) {
    const bool number = IsReportNumber(text);
    const int alignment = number ? estimating::taRight : estimating::taLeft;
    QString shown = text;
    if (shown.size() > width && (number || IsLocaleNumber(shown))) {
        shown = shown.trimmed();
        if (shown.size() > width)
            return shown + ' ';
    }
    return fromUtf8(estimating::PadText(shown.toStdString(), width, alignment));
}

QString KindLine(const TItem& line) {
    switch (line.SubKind) {
    case estimating::kSubKindCompound:
        return QStringLiteral("   Item : Compound");
    case estimating::kSubKindBudget:
        return line.Parent ? QStringLiteral("   Item : Budget") : QStringLiteral("   Budget");
    case estimating::kSubKindDivision:
        return QStringLiteral("   DIVISION");
    default:
        return {};
    }
}

QString Label(const char* word) {
    return QStringLiteral("   %1: ").arg(QLatin1String(word), -12);
}

bool IsReportable(const TReportSelection& s) {
    return s.CurrentBudget && s.SelectedInsumo && s.SelectedLine &&
           s.SelectedInsumo->Kind() == estimating::kKindCompound && s.SelectedInsumo->AsCompuesto();
}

void WriteTable(QStringList& lines, const TReportGrid& grid) {
    const QString dashRule = Rule('-');
    lines << Rule('_');
    for (std::size_t row = 0; row < grid.size(); ++row) {
        lines << ReportTableLine(grid[row]);
        if (row == 0 || row + 1 == grid.size())
            lines << dashRule;
    }
}

} // namespace

QString ReportTableLine(const QStringList& cells) {
    QString line = QStringLiteral("  |");
    for (int col = 0; col < kReportColumns; ++col) {
        const QString text = col < cells.size() ? cells[col] : QString();
        line += ReportCell(text, ReportColumnWidths[col]) + '|';
    }
    return line;
}

bool IsReportNumber(const QString& text) {
    return estimating::IsPeriodNumber(text.toStdString());
}

void WriteReportHeader(QStringList& lines, const TReportSelection& selection, const QString& date) {
    if (!IsReportable(selection))
        return;
    TInsumo& input = *selection.SelectedInsumo;
    const double quantity = selection.SelectedLine->Quantity;
    const double unitPrice = input.AsCompuesto()->ComputePrice();
    const QString kind = KindLine(*selection.SelectedLine);
    if (!kind.isEmpty())
        lines << kind;
    lines << Label("Date") + date;
    lines << Label("Name") + fromUtf8(input.Name());
    lines << Label("Description") + fromUtf8(input.Description());
    lines << Label("Unit") + fromUtf8(input.Unit());
    lines << Label("Quant.") + Fixed(quantity, 12, 3);
    lines << Label("U.P.") + Fixed(unitPrice, 12, 2);
    lines << QStringLiteral(" ");
    lines << Label("Direct Cost") + Fixed(unitPrice * quantity, 12, 2);
}

QStringList BuildReportSection(const TReportSelection& selection, const TReportGrid& grid,
                               const QString& date) {
    QStringList lines;
    if (!IsReportable(selection))
        return lines;
    lines << QStringLiteral(" ");
    WriteReportHeader(lines, selection, date);
    lines << QStringLiteral(" ");
    if (selection.Explosion) {
        const QString filter =
            selection.CategoryFilter.isEmpty() ? QStringLiteral("All") : selection.CategoryFilter;
        lines << QStringLiteral("   Only primaries (") + filter + ')';
    }
    WriteTable(lines, grid);
    return lines;
}

QString ReportDate() {
    return QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
}

TReportGrid ReportGridCells(const QTableWidget& grid) {
    TReportGrid cells;
    QStringList titles;
    for (int col = 0; col < grid.columnCount(); ++col) {
        const QTableWidgetItem* item = grid.horizontalHeaderItem(col);
        titles << (item ? item->text() : QString());
    }
    cells.push_back(titles);
    for (int row = 0; row < grid.rowCount(); ++row) {
        QStringList rowCells;
        for (int col = 0; col < grid.columnCount(); ++col) {
            const QTableWidgetItem* item = grid.item(row, col);
            rowCells << (item ? item->text() : QString());
        }
        cells.push_back(rowCells);
    }
    return cells;
}

void WriteReportFile(const QString& fileName, const QStringList& lines) {
    QSaveFile file(fileName);
    auto fail = [&] {
        throw std::runtime_error(QStringLiteral("Cannot create file \"%1\". %2")
                                     .arg(fileName, file.errorString())
                                     .toStdString());
    };
    if (!file.open(QIODevice::WriteOnly))
        fail();
    for (const QString& line : lines)
        if (file.write((line + QStringLiteral("\r\n")).toUtf8()) < 0)
            fail();
    // commit() puts the file in place even when its last buffered bytes fail to reach the disk.
    if (!file.flush() || !file.commit())
        fail();
}

TReportForm::TReportForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("ReportForm"));
    setWindowTitle(QStringLiteral("Report"));

    auto makeButton = [this](const char* name, const QString& caption) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QLatin1String(name));
        return button;
    };
    btnSave = makeButton("btnSave", QStringLiteral("Save as RTF"));
    btnDelete = makeButton("btnDelete", QStringLiteral("Delete"));
    btnClear = makeButton("btnClear", QStringLiteral("Clear"));
    btnClose = makeButton("btnClose", QStringLiteral("Close"));

    redtReport = new QPlainTextEdit(this);
    redtReport->setObjectName(QStringLiteral("redtReport"));
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    redtReport->setFont(font);
    redtReport->setLineWrapMode(QPlainTextEdit::NoWrap);
    redtReport->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    redtReport->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    redtReport->setPlainText(QStringLiteral("redtReport"));

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {btnSave, btnDelete, btnClear, btnClose})
        buttons->addWidget(button);
    buttons->addStretch();
    auto* all = new QVBoxLayout(this);
    all->addLayout(buttons);
    all->addWidget(redtReport);

    connect(redtReport, &QPlainTextEdit::selectionChanged, this,
            [this] { modal::guarded([this] { redtReportSelectionChange(); }); });
    connect(btnSave, &QPushButton::clicked, this,
            [this] { modal::guarded([this] { btnSaveClick(); }); });
    connect(btnDelete, &QPushButton::clicked, this,
            [this] { modal::guarded([this] { btnDeleteClick(); }); });
    connect(btnClear, &QPushButton::clicked, this,
            [this] { modal::guarded([this] { btnClearClick(); }); });
    connect(btnClose, &QPushButton::clicked, this,
            [this] { modal::guarded([this] { btnCloseClick(); }); });

    FormCreate();
}

void TReportForm::FormCreate() {
    resize(820, 560);
    CentreOnScreen(*this);
    redtReport->clear();
    btnDelete->setEnabled(false);
}

void TReportForm::ClearReport() {
    redtReport->clear();
}

QStringList TReportForm::Lines() const {
    // The raw text keeps non-breaking spaces, which the plain-text view turns into blanks.
    QString text = redtReport->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, '\n').replace(QChar::LineSeparator, '\n');
    if (text.isEmpty())
        return {};
    QStringList lines = text.split('\n');
    if (lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

void TReportForm::SetLines(const QStringList& lines) {
    redtReport->setPlainText(lines.join('\n'));
}

void TReportForm::AddToReport(const TReportSelection& selection, const TReportGrid& grid) {
    const QStringList section = BuildReportSection(selection, grid, ReportDate());
    if (section.isEmpty())
        return;
    SetLines(Lines() + section);
    ShowReport();
}

void TReportForm::ShowReport() {
    show();
    raise();
    activateWindow();
}

void TReportForm::redtReportSelectionChange() {
    btnDelete->setEnabled(redtReport->textCursor().hasSelection());
}

void TReportForm::btnSaveClick() {
    modal::FileDialog dialog;
    dialog.caption = QStringLiteral("Save As");
    dialog.filter = QStringLiteral("Archivos RTF (*.rtf);;Todos los archivos (*.*)");
    dialog.defaultSuffix = QStringLiteral("rtf");
    const std::optional<QString> fileName = modal::seam().saveFile(dialog);
    if (fileName)
        WriteReportFile(*fileName, Lines());
}

void TReportForm::btnDeleteClick() {
    redtReport->textCursor().removeSelectedText();
}

void TReportForm::btnClearClick() {
    ClearReport();
}

void TReportForm::btnCloseClick() {
    hide();
}
