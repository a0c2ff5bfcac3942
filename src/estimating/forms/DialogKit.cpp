#include "DialogKit.h"

#include "Database.h"
#include "MyUtils.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

#include <limits>

namespace {
std::function<void()>& dialogSaveAs() {
    static std::function<void()> saveAs;
    return saveAs;
}
} // namespace

void CentreOnScreen(QWidget& form) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        form.move(screen->availableGeometry().center() - form.rect().center());
}

QPushButton* NamedButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

bool CodesLeftFor(const estimating::TInsumos& collection, std::int64_t count) {
    if (collection.HasCodesFor(count))
        return true;
    const std::string_view text = estimating::kNoCodeLeftMessage;
    modal::showMessage(QString::fromUtf8(text.data(), qsizetype(text.size())));
    return false;
}

void ChangeKeepingPricesFinite(estimating::TDocument& document, const std::string& typed,
                               const std::function<void()>& change,
                               const std::function<void()>& undo) {
    const auto count = [&] {
        return estimating::NonFinitePrices(document.Compounds, document.Budgets);
    };
    change();
    const std::size_t after = count();
    if (after == 0)
        return;
    undo();
    // A file may hold such prices already: only a change that adds one is refused.
    if (count() >= after) {
        change();
        return;
    }
    estimating::RequireFiniteResult(typed, std::numeric_limits<double>::infinity());
}

void RequireFinitePricesWithLine(estimating::TDocument& document,
                                 estimating::TInsumoCompuesto& holder, estimating::TInsumo& input,
                                 double quantity, const std::string& typed) {
    estimating::TItem line;
    line.Kind = input.Kind();
    line.SubKind = input.SubKind();
    line.Code = input.Code();
    line.Insumo = &input;
    line.Quantity = quantity;
    if (holder.Items().Exists(line.Code))
        return;
    const auto add = [&] { holder.Items().Add(line); };
    const auto remove = [&] { holder.Items().Delete(line.Code); };
    ChangeKeepingPricesFinite(document, typed, add, remove);
    // Only a trial: the caller adds the line.
    remove();
}

void SetDialogSaveAs(std::function<void()> saveAs) {
    dialogSaveAs() = std::move(saveAs);
}

void SaveDocumentFromDialog(estimating::TDocument& document,
                            const std::function<void()>& followSaved) {
    try {
        if (document.FileName().empty() && dialogSaveAs())
            dialogSaveAs()();
        else
            document.Save();
    } catch (...) {
        followSaved();
        throw;
    }
    followSaved();
}
