#include "DialogKit.h"

#include "Database.h"
#include "MyUtils.h"

#include <QEvent>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

#include <limits>
#include <utility>

namespace {
std::function<void()>& dialogSaveAs() {
    static std::function<void()> saveAs;
    return saveAs;
}

// A mouse press that chooses an entry changes the selection, and its release then reports the
// click as well: the handler runs for the click only when the press changed nothing.
class ListClickBinding final : public QObject {
public:
    ListClickBinding(QListWidget& list, std::function<void()> handler)
        : QObject(&list), handler_(std::move(handler)) {
        list.viewport()->installEventFilter(this);
        connect(&list, &QListWidget::itemSelectionChanged, this, [this] {
            ranSincePress_ = true;
            run();
        });
        connect(&list, &QListWidget::itemClicked, this, [this] {
            if (!ranSincePress_)
                run();
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
            ranSincePress_ = false;
        return QObject::eventFilter(watched, event);
    }

private:
    void run() { modal::guarded(handler_); }

    std::function<void()> handler_;
    bool ranSincePress_ = false;
};
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

void BindListClick(QListWidget& list, std::function<void()> handler) {
    new ListClickBinding(list, std::move(handler));
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
