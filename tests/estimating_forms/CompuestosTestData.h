#pragma once
// A compounds catalogue to browse: two compound categories with subcategories, primaries of
// several cost types and compounds that nest.

#include "AddItemFrm.h"
#include "CompuestosFrm.h"
#include "MainFormFixture.h"
#include "MyUtils.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace compounds_testing {

using estimating::TCategoria;
using estimating::TSubcategoria;
using forms_testing::addCompoundType;
using forms_testing::addLine;
using forms_testing::addPrimary;

inline void addCategory(TDocument& doc, const std::string& name) {
    doc.CompoundCategories.AddObject(name, std::make_unique<TCategoria>(name));
}
inline void addSubcategory(TDocument& doc, const std::string& name, const std::string& category) {
    doc.CompoundSubcategories.AddObject(name, std::make_unique<TSubcategoria>(name, category));
}
inline TInsumoCompuesto* addCompound(TDocument& doc, const std::string& name,
                                     const std::string& unit, const std::string& category,
                                     const std::string& subcategory) {
    TInsumoCompuesto* c = addCompoundType(doc, 1, name, unit);
    c->SetCategory(category);
    c->SetSubcategory(subcategory);
    return c;
}

// Categories Building (Masonry, Walls) and Finishes (Paint).
//   Concrete C000001 (Building / Masonry, m3) = Cement x3 + Mason x2 + Mixer x1 = 75
//                                               (M 30, L 40, E 5)
//   Wall C000002 (Building / Walls, m2) = Concrete x2 + Painting x1 = 158
//   Primer C000003 (Finishes / Paint, m2) = Free x2 = 0
//   Coat C000004 (Finishes / Paint, m2) = Painting x1 = 8
inline void buildCatalogue(TDocument& doc) {
    for (const char* unit : {"m3", "m2", "kg", "h"})
        doc.Units.Add(unit);
    addCategory(doc, "Building");
    addCategory(doc, "Finishes");
    addSubcategory(doc, "Walls", "Building");
    addSubcategory(doc, "Masonry", "Building");
    addSubcategory(doc, "Paint", "Finishes");
    TInsumo* cement = addPrimary(doc, "Cement", "Materials", 10, "kg");
    TInsumo* mason = addPrimary(doc, "Mason", "Labor", 20, "h");
    TInsumo* mixer = addPrimary(doc, "Mixer", "Equipment", 5, "h");
    TInsumo* painting = addPrimary(doc, "Painting", "Subcontracts", 8, "m2");
    TInsumo* free = addPrimary(doc, "Free", "Materials", 0, "kg");
    TInsumoCompuesto* concrete = addCompound(doc, "Concrete", "m3", "Building", "Masonry");
    addLine(*concrete, *cement, 3);
    addLine(*concrete, *mason, 2);
    addLine(*concrete, *mixer, 1);
    TInsumoCompuesto* wall = addCompound(doc, "Wall", "m2", "Building", "Walls");
    addLine(*wall, *concrete, 2);
    addLine(*wall, *painting, 1);
    TInsumoCompuesto* primer = addCompound(doc, "Primer", "m2", "Finishes", "Paint");
    addLine(*primer, *free, 2);
    TInsumoCompuesto* coat = addCompound(doc, "Coat", "m2", "Finishes", "Paint");
    addLine(*coat, *painting, 1);
}

// Chooses an entry as the user does: selects it and reports the choice.
inline void choose(QComboBox& list, const QString& text) {
    const int row = list.findText(text);
    ASSERT_GE(row, 0) << text.toStdString() << " is not in " << list.objectName().toStdString();
    list.setCurrentIndex(row);
    emit list.activated(row);
}

inline QStringList entries(const QComboBox& list) {
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << list.itemText(i);
    return texts;
}

// A scripted seam that also keeps the value each input box showed.
class RecordingSeam : public testing_support::ScriptedSeam {
public:
    QString inputBox(const QString& caption, const QString& prompt, const QString& value) override {
        shownValues.push_back(value);
        return ScriptedSeam::inputBox(caption, prompt, value);
    }
    std::vector<QString> shownValues;
};

// A picker that chooses the input of this code with this quantity.
inline std::function<void(QDialog&)> pick(const QString& code, double quantity) {
    return [code, quantity](QDialog& d) {
        auto& picker = static_cast<TAddSimpleForm&>(d);
        picker.ChosenCode = code;
        picker.Quantity = quantity;
    };
}

// The decimal mark in force for one test.
class ScopedDecimalMark {
public:
    explicit ScopedDecimalMark(std::string mark) : previous_(estimating::DecimalMark()) {
        estimating::SetDecimalMark(std::move(mark));
    }
    ~ScopedDecimalMark() { estimating::SetDecimalMark(previous_); }
    ScopedDecimalMark(const ScopedDecimalMark&) = delete;
    ScopedDecimalMark& operator=(const ScopedDecimalMark&) = delete;

private:
    std::string previous_;
};

class CompoundsTest : public forms_testing::MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        buildCatalogue(*Document);
        Document->Saved = 1;
    }
    std::unique_ptr<TCompuestosForm> open() { return std::make_unique<TCompuestosForm>(MainForm); }

    TInsumoCompuesto* compound(const char* code) const {
        TInsumo* found = Document->Compounds.Find(code);
        return found ? found->AsCompuesto() : nullptr;
    }
    // Browses to a category, subcategory and compound as the user does.
    static void browse(TCompuestosForm& f, const QString& category, const QString& subcategory,
                       const QString& name = {}) {
        choose(*f.cboRubros, category);
        choose(*f.cboSubrubros, subcategory);
        if (!name.isEmpty())
            choose(*f.cboCompuestos, name);
    }
    // A click on a cell of the grid (row 1 is the first line).
    static void clickCell(TCompuestosForm& f, int row, int col = 0) {
        f.gridItems->setCurrentCell(row - 1, col);
        emit f.gridItems->cellClicked(row - 1, col);
    }
    static QStringList gridRow(const TCompuestosForm& f, int row) {
        QStringList cells;
        for (int c = 0; c < 7; ++c)
            cells << f.GridCell(row, c);
        return cells;
    }
};

} // namespace compounds_testing
