#pragma once
// The report window and the text of its sections. A section is built by plain
// functions from what the main window has selected, so its layout is testable
// without any widget.

#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

class QPlainTextEdit;
class QPushButton;
class QTableWidget;
namespace estimating {
class TInsumo;
class TInsumoCompuesto;
struct TItem;
} // namespace estimating
using estimating::TInsumo;
using estimating::TInsumoCompuesto;
using estimating::TItem;

// What "Add to report" reads from the main window.
struct TReportSelection {
    const TInsumoCompuesto* CurrentBudget = nullptr;
    TInsumo* SelectedInsumo = nullptr;   // input of the last clicked node
    const TItem* SelectedLine = nullptr; // line of the selected node (the root line for the budget)
    bool Explosion = false;
    QString CategoryFilter; // empty for all cost types
};

// Cells of the item grid, row 0 holding the titles; each row has the grid's
// seven columns.
using TReportGrid = std::vector<QStringList>;

inline constexpr int ReportColumnWidths[7] = {7, 35, 5, 9, 9, 12, 9};

// Appends the header lines of a section; nothing unless the selected input is
// compound-type.
void WriteReportHeader(QStringList& lines, const TReportSelection& selection, const QString& date);
// The lines of one section, or none when nothing suitable is selected.
QStringList BuildReportSection(const TReportSelection& selection, const TReportGrid& grid,
                               const QString& date);
// One table line: "  |" and every cell padded to its column, followed by "|".
QString ReportTableLine(const QStringList& cells);
// True when the whole text is a decimal number written with a period as decimal
// mark.
bool IsReportNumber(const QString& text);
// Today in the locale's short date format.
QString ReportDate();
// The cells of the item grid as the report reads them: row 0 holds the column
// titles (the table's header), a cell never set is empty.
TReportGrid ReportGridCells(const QTableWidget& grid);

class TReportForm : public QWidget {
    Q_OBJECT
public:
    explicit TReportForm(QWidget* parent = nullptr);

    QPlainTextEdit* redtReport;
    QPushButton* btnSave;
    QPushButton* btnDelete;
    QPushButton* btnClear;
    QPushButton* btnClose;

    void ClearReport();
    // The report's lines as the file gets them (an empty report has none).
    QStringList Lines() const;
    // Appends a section for the main window's selection and shows the window;
    // does nothing (and shows nothing) when the selection is unsuitable.
    void AddToReport(const TReportSelection& selection, const TReportGrid& grid);
    // Shows the window modeless and brings it to the front.
    void ShowReport();

    void redtReportSelectionChange();
    void btnSaveClick();
    void btnDeleteClick();
    void btnClearClick();
    void btnCloseClick();

private:
    void FormCreate();
    void SetLines(const QStringList& lines);
};

extern TReportForm* ReportForm;

// Writes lines as plain text, each ended by CR LF, replacing the file; throws
// on failure with a message naming the file.
void WriteReportFile(const QString& fileName, const QStringList& lines);
