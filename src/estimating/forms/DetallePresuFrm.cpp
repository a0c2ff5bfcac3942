#include "DetallePresuFrm.h"

#include "Componentes.h"
#include "Database.h"
#include "DialogKit.h"
#include "FitText.h"
#include "Main.h"
#include "ModalSeam.h"
#include "MyUtils.h"

#include <QEvent>
#include <QFont>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

#include <array>
#include <exception>

TDetallePresuForm* DetallePresuForm = nullptr;

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

QString Money(double value) {
    return fromUtf8(estimating::FormatFixed(value, 0, 2));
}

double ToDouble(const QString& text) {
    return estimating::StrToFloat(text.toStdString());
}

// The memo shows line breaks as "\n"; the budget keeps them as CR LF, as they
// were typed.
std::string MemoText(const QPlainTextEdit& memo) {
    return memo.toPlainText().replace('\n', QStringLiteral("\r\n")).toStdString();
}

QFont FixedPitchFont() {
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

// A percentage box and the rate it shows.
struct TRateBox {
    QLatin1String name;
    double (TInsumoCompuesto::*rate)() const;
    void (TInsumoCompuesto::*setRate)(double);
};

const TRateBox* RateBoxNamed(const QString& name) {
    static const std::array<TRateBox, 4> boxes = {{
        {QLatin1String("stGastosGeneralesPorcent"), &TInsumoCompuesto::GeneralCostsRate,
         &TInsumoCompuesto::SetGeneralCostsRate},
        {QLatin1String("stBeneficioPorcent"), &TInsumoCompuesto::ProfitRate,
         &TInsumoCompuesto::SetProfitRate},
        {QLatin1String("stIvaPorcent"), &TInsumoCompuesto::VatRate, &TInsumoCompuesto::SetVatRate},
        {QLatin1String("stOtrosPorcent"), &TInsumoCompuesto::OtherChargesRate,
         &TInsumoCompuesto::SetOtherChargesRate},
    }};
    for (const TRateBox& box : boxes)
        if (name == box.name)
            return &box;
    return nullptr;
}

} // namespace

TDetallePresuForm::TDetallePresuForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DetallePresuForm"));
    setWindowTitle(QStringLiteral("Budget Details"));

    auto named = [](QWidget* widget, const char* name) {
        widget->setObjectName(QLatin1String(name));
        return widget;
    };
    edtNombre = new QLineEdit(this);
    named(edtNombre, "edtNombre");
    edtDescripcion = new QPlainTextEdit(this);
    named(edtDescripcion, "edtDescripcion");
    edtDescripcion->setFixedHeight(64);
    edtCliente = new QLineEdit(this);
    named(edtCliente, "edtCliente");
    edtLugar = new QLineEdit(this);
    named(edtLugar, "edtLugar");

    auto figure = [this, named](const char* name) {
        auto* label = new TFitLabel(this);
        named(label, name);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setFont(FixedPitchFont());
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setMinimumWidth(120);
        return label;
    };
    stCostoDirecto = figure("stCostoDirecto");
    stGastosGenerales = figure("stGastosGenerales");
    stGastosGeneralesPorcent = figure("stGastosGeneralesPorcent");
    stBeneficio = figure("stBeneficio");
    stBeneficioPorcent = figure("stBeneficioPorcent");
    stIVA = figure("stIVA");
    stIvaPorcent = figure("stIvaPorcent");
    stOtros = figure("stOtros");
    stOtrosPorcent = figure("stOtrosPorcent");
    stPrecio = figure("stPrecio");
    QFont priceFont = stPrecio->font();
    priceFont.setBold(true);
    stPrecio->setFont(priceFont);
    stPrecio->setStyleSheet(QStringLiteral("color: navy;"));
    for (QLabel* box :
         {stGastosGeneralesPorcent, stBeneficioPorcent, stIvaPorcent, stOtrosPorcent}) {
        box->setMinimumWidth(70);
        box->setToolTip(QStringLiteral("Double click to change"));
        box->installEventFilter(this);
    }

    btnAccept = NamedButton(this, "btnAccept", QStringLiteral("Update"));
    btnCancel = NamedButton(this, "btnCancel", QStringLiteral("Close"));
    btnSave = NamedButton(this, "btnSave", QStringLiteral("Save"));

    auto* grid = new QGridLayout;
    auto addRow = [this, grid](int row, const QString& caption, QWidget* control,
                               QWidget* percent = nullptr) {
        auto* label = new QLabel(caption, this);
        const Qt::Alignment vertical = control == edtDescripcion ? Qt::AlignTop : Qt::AlignVCenter;
        grid->addWidget(label, row, 0, Qt::AlignRight | vertical);
        grid->addWidget(control, row, 1, 1, percent ? 1 : 2);
        if (percent)
            grid->addWidget(percent, row, 2);
        return label;
    };
    addRow(0, QStringLiteral("Name :"), edtNombre);
    addRow(1, QStringLiteral("Description :"), edtDescripcion);
    addRow(2, QStringLiteral("Client :"), edtCliente);
    addRow(3, QStringLiteral("Placement :"), edtLugar);
    auto* percentTitle = new QLabel(QStringLiteral("%"), this);
    QFont boldFont = percentTitle->font();
    boldFont.setBold(true);
    percentTitle->setFont(boldFont);
    grid->addWidget(percentTitle, 4, 2, Qt::AlignCenter);
    addRow(5, QStringLiteral("Direct Cost :"), stCostoDirecto);
    addRow(6, QStringLiteral("General Costs :"), stGastosGenerales, stGastosGeneralesPorcent);
    addRow(7, QStringLiteral("Profit :"), stBeneficio, stBeneficioPorcent);
    addRow(8, QStringLiteral("VAT :"), stIVA, stIvaPorcent);
    addRow(9, QStringLiteral("Other charges :"), stOtros, stOtrosPorcent);
    addRow(10, QStringLiteral("Bid price :"), stPrecio)->setFont(boldFont);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnAccept);
    buttons->addWidget(btnSave);
    buttons->addWidget(btnCancel);
    auto* all = new QVBoxLayout(this);
    all->addLayout(grid);
    all->addLayout(buttons);

    auto bind = [this](QPushButton* button, void (TDetallePresuForm::*handler)()) {
        connect(button, &QPushButton::clicked, this, modal::guardedHandler(this, handler));
    };
    bind(btnAccept, &TDetallePresuForm::btnAcceptClick);
    bind(btnCancel, &TDetallePresuForm::btnCancelClick);
    bind(btnSave, &TDetallePresuForm::btnSaveClick);

    FormCreate();
}

void TDetallePresuForm::FormCreate() {
    UpdateSaveButton();
    resize(460, 420);
    CentreOnScreen(*this);
}

void TDetallePresuForm::UpdateSaveButton() {
    btnSave->setEnabled(Document && Document->Saved == 0);
}

void TDetallePresuForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        modal::guarded([this] { FormShow(); });
}

bool TDetallePresuForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (QLabel* box :
             {stGastosGeneralesPorcent, stBeneficioPorcent, stIvaPorcent, stOtrosPorcent}) {
            if (watched == box) {
                modal::guarded([this, box] { newValue(box); });
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TDetallePresuForm::FormShow() {
    ShowBudgetData();
}

void TDetallePresuForm::ShowBudgetData() {
    if (!Budget)
        return;
    edtNombre->setText(fromUtf8(Budget->Name()));
    edtDescripcion->setPlainText(fromUtf8(Budget->Description()));
    edtCliente->setText(fromUtf8(Budget->Client()));
    edtLugar->setText(fromUtf8(Budget->Placement()));
    ComputeBidPrice();
}

void TDetallePresuForm::ComputeBidPrice() {
    if (!Budget)
        return;
    try {
        const estimating::TBidPrice bid =
            estimating::WorkOutBidPrice(*Budget, Budget->ComputePrice());
        stCostoDirecto->setText(Money(bid.DirectCost));
        stGastosGenerales->setText(Money(bid.GeneralCosts));
        stBeneficio->setText(Money(bid.Profit));
        stIVA->setText(Money(bid.Vat));
        stOtros->setText(Money(bid.OtherCharges));
        stGastosGeneralesPorcent->setText(Money(Budget->GeneralCostsRate() * 100));
        stBeneficioPorcent->setText(Money(Budget->ProfitRate() * 100));
        stIvaPorcent->setText(Money(Budget->VatRate() * 100));
        stOtrosPorcent->setText(Money(Budget->OtherChargesRate() * 100));
        stPrecio->setText(Money(bid.Price));
    } catch (const std::exception& e) {
        modal::showMessage(QString::fromUtf8(e.what()));
    }
}

void TDetallePresuForm::newValue(QLabel* sender) {
    if (!Budget || !sender)
        return;
    const QString answer = modal::seam().inputBox(
        QStringLiteral("Modify percentage"), QStringLiteral("Input a new value."), sender->text());
    double value = 0;
    const TRateBox* box = RateBoxNamed(sender->objectName());
    try {
        value = ToDouble(answer);
        if (value < 0)
            return;
        // A rate that would make a bid figure infinite is refused as unreadable.
        if (box) {
            TInsumoCompuesto& budget = *Budget;
            const auto setRate = box->setRate;
            const double before = (budget.*box->rate)();
            const double rate = value / 100;
            ChangeKeepingPricesFinite(
                *Document, answer.toStdString(), [&] { (budget.*setRate)(rate); },
                [&] { (budget.*setRate)(before); });
        }
    } catch (const std::exception& e) {
        modal::showMessage(QString::fromUtf8(e.what()));
        return;
    }
    sender->setText(Money(value));
    ComputeBidPrice();
    Document->Saved = 0;
    UpdateSaveButton();
}

void TDetallePresuForm::btnAcceptClick() {
    if (!Budget)
        return;
    if (edtNombre->text().isEmpty()) {
        modal::showMessage(QStringLiteral("The name field is missing."));
        return;
    }
    try {
        Document->Saved = 0;
        Budget->SetName(edtNombre->text().toStdString());
        Budget->SetDescription(MemoText(*edtDescripcion));
        Budget->SetClient(edtCliente->text().toStdString());
        Budget->SetPlacement(edtLugar->text().toStdString());
        Budget->SetGeneralCostsRate(ToDouble(stGastosGeneralesPorcent->text()) / 100);
        Budget->SetProfitRate(ToDouble(stBeneficioPorcent->text()) / 100);
        Budget->SetVatRate(ToDouble(stIvaPorcent->text()) / 100);
        Budget->SetOtherChargesRate(ToDouble(stOtrosPorcent->text()) / 100);
        UpdateSaveButton();
        if (MainForm)
            MainForm->setWindowTitle(ApplicationTitle() + QStringLiteral(" - ") +
                                     fromUtf8(Budget->Name()));
    } catch (const std::exception& e) {
        UpdateSaveButton();
        modal::showMessage(QString::fromUtf8(e.what()));
    }
}

void TDetallePresuForm::btnCancelClick() {
    reject();
}

void TDetallePresuForm::btnSaveClick() {
    SaveDocumentFromDialog(*Document, [this] { UpdateSaveButton(); });
}
