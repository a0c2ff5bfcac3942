#include "Frame2.h"

#include "FitText.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kCanvasWidth = 145;

template <class W> W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QLabel* caption(QWidget* parent, const char* name, const QString& text) {
    return named(new QLabel(text, parent), name);
}

QFont fixedFont() {
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    return f;
}

QLabel* figure(QWidget* parent, const char* name) {
    auto* l = named(new TFitLabel(parent), name);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setFont(fixedFont());
    l->setFrameShape(QFrame::StyledPanel);
    l->setFrameShadow(QFrame::Sunken);
    l->setMinimumWidth(110);
    return l;
}

void paint(QWidget* w, QPalette::ColorRole role, const QColor& color) {
    QPalette p = w->palette();
    p.setColor(role, color);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

// The chart area: keeps its bars in the middle of the rows they stand for.
class CanvasFrame : public QFrame {
public:
    using QFrame::QFrame;
    TmyFrame* panel = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QFrame::resizeEvent(event);
        if (panel)
            panel->placeBarsOn(*this);
    }
};

} // namespace

TmyFrame::TmyFrame(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("frame1"));
    setFrameShape(QFrame::NoFrame);
    new QVBoxLayout(this);
    buildFigures();
    buildCostBlock();
    buildButtons();
}

void TmyFrame::buildFigures() {
    auto* grid = new QGridLayout;
    Label1 = caption(this, "Label1", QStringLiteral("Name :"));
    Label2 = caption(this, "Label2", QStringLiteral("Unit :"));
    Label3 = caption(this, "Label3", QStringLiteral("Qtty. :"));
    Label4 = caption(this, "Label4", QStringLiteral("U.P.. :"));
    Label5 = caption(this, "Label5", QStringLiteral("Tot. :"));
    stNombre = named(new TFitLabel(this), "stNombre");
    QFont bold = stNombre->font();
    bold.setBold(true);
    stNombre->setFont(bold);
    stNombre->setTextInteractionFlags(Qt::TextSelectableByMouse);
    stUnidad = named(new TFitLabel(this), "stUnidad");
    stCant = figure(this, "stCant");
    stPU = figure(this, "stPU");
    stTotal = figure(this, "stTotal");
    QFont boldFixed = fixedFont();
    boldFixed.setBold(true);
    stTotal->setFont(boldFixed);
    paint(stTotal, QPalette::Window, palette().color(QPalette::ToolTipBase));
    {
        QPalette p = stTotal->palette();
        p.setColor(QPalette::WindowText, QColor(0, 0, 128));
        stTotal->setPalette(p);
    }
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(stNombre, 0, 1, 1, 4);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(stUnidad, 1, 1, 1, 4);
    grid->addWidget(Label3, 2, 0);
    grid->addWidget(stCant, 2, 1);
    grid->addWidget(Label4, 2, 2, Qt::AlignRight);
    grid->addWidget(stPU, 2, 3);
    grid->addWidget(Label5, 3, 2, Qt::AlignRight);
    grid->addWidget(stTotal, 3, 3);
    grid->setColumnStretch(4, 1);
    static_cast<QVBoxLayout*>(layout())->addLayout(grid);
}

void TmyFrame::buildCostBlock() {
    GroupBox1 = named(new QGroupBox(this), "GroupBox1");
    auto* grid = new QGridLayout(GroupBox1);
    Label6 = caption(GroupBox1, "Label6", QStringLiteral("%"));
    Label6->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(Label6, 0, 3);

    struct Row {
        const char* radio;
        const char* label;
        const char* text;
        const char* amount;
        const char* percent;
        const char* bar;
        QColor color;
    };
    const Row rows[] = {
        {"rbMat", "Label11", "Materials", "stMat", "stMatP", "shMat", QColor(0, 128, 0)},
        {"rbMao", "Label12", "Labor", "stMao", "stMaoP", "shMao", QColor(0, 0, 128)},
        {"rbEqu", "Label13", "Equipment", "stEqu", "stEquP", "shEqu", QColor(255, 0, 0)},
        {"rbSub", "Label14", "Subcontracts", "stSub", "stSubP", "shSub", QColor(0, 0, 0)},
        {"rbOtros", "Label7", "Others", "stOtros", "stOtrosP", "shOtros", QColor(0, 128, 128)},
    };
    auto* canvas = new CanvasFrame(GroupBox1);
    canvas->panel = this;
    shCanvas = named(static_cast<QFrame*>(canvas), "shCanvas");
    shCanvas->setFixedWidth(kCanvasWidth);
    shCanvas->setFrameShape(QFrame::Box);
    shCanvas->setToolTip(QString::fromUtf8("Gráfico de porcentajes de la composición del ítem"));
    paint(shCanvas, QPalette::Window, palette().color(QPalette::ToolTipBase));
    Shape2 = named(new QFrame(shCanvas), "Shape2");
    paint(Shape2, QPalette::Window, QColor(128, 128, 128));

    QRadioButton** radios[] = {&rbMat, &rbMao, &rbEqu, &rbSub, &rbOtros};
    QLabel** labels[] = {&Label11, &Label12, &Label13, &Label14, &Label7};
    QLabel** amounts[] = {&stMat, &stMao, &stEqu, &stSub, &stOtros};
    QLabel** percents[] = {&stMatP, &stMaoP, &stEquP, &stSubP, &stOtrosP};
    QFrame** bars[] = {&shMat, &shMao, &shEqu, &shSub, &shOtros};
    for (int k = 0; k < 5; ++k) {
        const Row& r = rows[k];
        *radios[k] = named(new QRadioButton(GroupBox1), r.radio);
        *labels[k] = caption(GroupBox1, r.label, QString::fromLatin1(r.text));
        *amounts[k] = figure(GroupBox1, r.amount);
        *percents[k] = figure(GroupBox1, r.percent);
        (*percents[k])->setMinimumWidth(70);
        *bars[k] = named(new QFrame(shCanvas), r.bar);
        paint(*bars[k], QPalette::Window, r.color);
        (*bars[k])->setGeometry(0, 0, 0, 0);
        grid->addWidget(*radios[k], k + 1, 0);
        grid->addWidget(*labels[k], k + 1, 1);
        grid->addWidget(*amounts[k], k + 1, 2);
        grid->addWidget(*percents[k], k + 1, 3);
    }
    grid->addWidget(shCanvas, 1, 4, 5, 1);
    rbTodos = named(new QRadioButton(GroupBox1), "rbTodos");
    Label15 = caption(GroupBox1, "Label15", QStringLiteral("All"));
    grid->addWidget(rbTodos, 6, 0);
    grid->addWidget(Label15, 6, 1);
    grid->setColumnStretch(5, 1);
    static_cast<QVBoxLayout*>(layout())->addWidget(GroupBox1);
}

void TmyFrame::buildButtons() {
    chkExplosion = named(new QCheckBox(QStringLiteral("Primary components"), this), "chkExplosion");
    chkExplosion->setToolTip(
        QString::fromUtf8("El compuesto seleccionado desagregado en sus componentes simples."));
    btnEditCant = named(new QPushButton(QStringLiteral("Modify quantity"), this), "btnEditCant");
    btnEditCant->setToolTip(QString::fromUtf8("Modificar la cantidad del ítem seleccionado"));
    btnReport = named(new QPushButton(QStringLiteral("Add to report"), this), "btnReport");
    btnReport->setToolTip(
        QString::fromUtf8("Permite agregar los detalles del nodo seleccionado al informe"));
    btnVerReporte = named(new QPushButton(QStringLiteral("Display report"), this), "btnVerReporte");
    btnVerReporte->setToolTip(QString::fromUtf8("Ver una ventana con el informe actual"));
    auto* row = new QHBoxLayout;
    row->addWidget(chkExplosion);
    row->addStretch();
    row->addWidget(btnEditCant);
    row->addWidget(btnReport);
    row->addWidget(btnVerReporte);
    auto* v = static_cast<QVBoxLayout*>(layout());
    v->addLayout(row);
    v->addStretch();
}

QRadioButton* TmyFrame::costRadio(int k) const {
    QRadioButton* const r[] = {rbMat, rbMao, rbEqu, rbSub, rbOtros};
    return r[k];
}
QLabel* TmyFrame::costAmount(int k) const {
    QLabel* const a[] = {stMat, stMao, stEqu, stSub, stOtros};
    return a[k];
}
QLabel* TmyFrame::costPercent(int k) const {
    QLabel* const p[] = {stMatP, stMaoP, stEquP, stSubP, stOtrosP};
    return p[k];
}
QFrame* TmyFrame::costBar(int k) const {
    QFrame* const b[] = {shMat, shMao, shEqu, shSub, shOtros};
    return b[k];
}

void TmyFrame::setBarWidth(int k, int width) {
    QFrame* bar = costBar(k);
    bar->resize(width, bar->height());
}

void TmyFrame::placeBarsOn(QFrame& canvas) {
    const int h = canvas.height();
    const int barHeight = std::max(2, std::min(12, h / 5 - 6));
    for (int k = 0; k < 5; ++k) {
        QFrame* bar = costBar(k);
        const int middle = h * (2 * k + 1) / 10;
        bar->setGeometry(0, middle - barHeight / 2, bar->width(), barHeight);
    }
    Shape2->setGeometry(canvas.width() / 2, 0, 1, h);
}
