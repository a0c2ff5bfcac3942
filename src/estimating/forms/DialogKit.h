#pragma once
// What the estimator's windows share to look and behave alike: placing a window, plain named
// buttons, the click of a list box, running a catalogue dialog modally, and the Save button of an
// editing dialog.

#include "ModalSeam.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>

class QListWidget;
class QPushButton;
class QWidget;
namespace estimating {
class TDocument;
class TInsumo;
class TInsumoCompuesto;
class TInsumos;
} // namespace estimating

// Places a window in the middle of the screen, as the forms open.
void CentreOnScreen(QWidget& form);

// A push button with its object name that never takes Enter as the dialog's default.
QPushButton* NamedButton(QWidget* parent, const char* name, const QString& caption);

// Runs `handler`, guarded, as a list box's click: once for each mouse click on an entry, the
// entry already chosen included, and once for each change of the chosen entry from the keyboard.
// A click on no entry runs nothing, nor does a change made from code under a QSignalBlocker.
void BindListClick(QListWidget& list, std::function<void()> handler);

// Runs a catalogue dialog modally while its global points at it.
template <class Form> void RunHeldInGlobal(Form*& global, QWidget* owner) {
    Form form(owner);
    global = &form;
    struct Forget {
        Form*& held;
        ~Forget() { held = nullptr; }
    } forget{global};
    modal::seam().runModal(form);
}

// Whether `count` new entries of the collection can each get a code of their own; says so when
// not, before a command makes anything.
bool CodesLeftFor(const estimating::TInsumos& collection, std::int64_t count);

// Makes `change`; when it leaves more of the document's compounds, budgets and divisions with a
// price, break-down or bid figure that is not finite, makes `undo` and refuses the `typed` number
// as one that cannot be read. `change` may be made again after `undo`.
void ChangeKeepingPricesFinite(estimating::TDocument& document, const std::string& typed,
                               const std::function<void()>& change,
                               const std::function<void()>& undo);

// Refuses the `typed` quantity, as ChangeKeepingPricesFinite does, when a line of `input` at
// `quantity` in `holder` would make a price infinite; the holder is left as it was either way. A
// line the holder has already is the caller's to refuse.
void RequireFinitePricesWithLine(estimating::TDocument& document,
                                 estimating::TInsumoCompuesto& holder, estimating::TInsumo& input,
                                 double quantity, const std::string& typed);

// How a database without a file name is saved from an editing dialog (the main window's Save,
// which asks for a name); none set: the document is written back as it is.
void SetDialogSaveAs(std::function<void()> saveAs);

// Save from an editing dialog. A database without a file name (one whose file could not be read
// whole) goes through Save As instead of being written back silently. `followSaved` brings the
// dialog's Save button in line with the saved flag afterwards, also when saving fails.
void SaveDocumentFromDialog(estimating::TDocument& document,
                            const std::function<void()>& followSaved);
