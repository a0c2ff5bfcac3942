#include "LargeDatabase.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace estimating_bench {

namespace {

// splitmix64: the same sequence on every platform and library, unlike the standard
// distributions.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    // Uniform in [0, n).
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    bool chance(double p) { return unit() < p; }
    // Skewed towards the front: a few entries are picked very often.
    int popular(int n) {
        double u = unit();
        return static_cast<int>(static_cast<double>(n) * u * u * u);
    }
    template <class T> const T& pick(const std::vector<T>& v) {
        return v[static_cast<std::size_t>(below(static_cast<int>(v.size())))];
    }

private:
    std::uint64_t state_;
};

std::string makeCode(char letter, int number) {
    char text[16];
    std::snprintf(text, sizeof text, "%c%06d", letter, number);
    return text;
}

double roundTo(double value, double step) {
    return static_cast<double>(static_cast<long long>(value / step + 0.5)) * step;
}

const std::vector<std::string> kUnits = {"m",   "m²",    "m³",  "kg", "t",      "u",
                                         "h",   "l",     "gl",  "ml", "jornal", "día",
                                         "mes", "bolsa", "pza", "km", "ha",     "m³·km"};

const std::vector<std::vector<std::string>> kPrimaryWords = {
    // Materials
    {"Cemento Pórtland", "Arena gruesa", "Piedra partida", "Ladrillo común", "Hierro Ø8",
     "Hierro Ø12", "Cal hidratada", "Cerámico 30×30", "Caño PVC 110", "Cable 2,5 mm²",
     "Pintura látex", "Membrana asfáltica", "Chapa galvanizada", "Vidrio float 4 mm",
     "Madera de pino", "Adhesivo cementicio", "Malla soldada", "Yeso"},
    // Labor
    {"Oficial albañil", "Ayudante", "Oficial especializado", "Capataz", "Electricista", "Plomero",
     "Pintor", "Carpintero", "Herrero", "Sereno"},
    // Equipment
    {"Hormigonera 300 l", "Retroexcavadora", "Camión volcador", "Andamio tubular",
     "Vibrador de inmersión", "Compactador", "Grúa torre", "Martillo neumático"},
    // Subcontracts
    {"Instalación eléctrica", "Instalación sanitaria", "Ascensor", "Aire acondicionado",
     "Impermeabilización", "Estructura metálica", "Pileta de natación"},
    // Others
    {"Flete", "Seguro de obra", "Volquete", "Limpieza final", "Cartel de obra", "Permisos"},
};

const std::vector<std::string> kQualities = {"calidad A", "calidad B", "nacional",  "importado",
                                             "tipo I",    "tipo II",   "reforzado", "económico",
                                             "premium",   "estándar"};

const std::vector<std::string> kWorkWords = {"Hormigón H-21 para losa",
                                             "Mampostería de ladrillo hueco",
                                             "Revoque grueso a la cal",
                                             "Contrapiso de cascotes",
                                             "Piso cerámico sobre carpeta",
                                             "Cielorraso suspendido",
                                             "Pintura látex en muros",
                                             "Cubierta de chapa",
                                             "Excavación de zanjas",
                                             "Relleno y compactación",
                                             "Encofrado de columnas",
                                             "Boca de electricidad",
                                             "Desagüe cloacal",
                                             "Carpeta de nivelación",
                                             "Aislación hidrófuga",
                                             "Zócalo de granito",
                                             "Tabique de roca de yeso",
                                             "Viga de encadenado"};

const std::vector<std::string> kDivisionWords = {"Trabajos preliminares",
                                                 "Movimiento de suelos",
                                                 "Estructura",
                                                 "Albañilería",
                                                 "Revoques",
                                                 "Contrapisos y pisos",
                                                 "Cubiertas",
                                                 "Instalación eléctrica",
                                                 "Instalación sanitaria",
                                                 "Carpinterías",
                                                 "Pinturas",
                                                 "Varios"};

const std::vector<std::string> kCompoundCategories = {"Obra gruesa",   "Terminaciones",
                                                      "Instalaciones", "Movimiento de suelos",
                                                      "Estructuras",   "Varios"};

struct Builder {
    const DatabaseShape& shape;
    Rng rng;
    DatabaseSpec db;
    std::vector<int> compoundDepth;
    std::vector<std::vector<int>> compoundsByDepth; // indexes into db.compounds.entries

    explicit Builder(const DatabaseShape& s) : shape(s), rng(s.seed) {}

    void buildNameLists() {
        db.units = kUnits;
        for (const auto& type : costTypeNames())
            for (int i = 1; i <= 3; ++i)
                db.primarySubcategories.push_back({type + " grupo " + std::to_string(i), type});
        db.compoundCategories = kCompoundCategories;
        for (const auto& category : kCompoundCategories)
            for (int i = 1; i <= 4; ++i)
                db.compoundSubcategories.push_back(
                    {category + " – rubro " + std::to_string(i), category});
    }

    std::string primaryCategory(int typeIndex) {
        if (shape.strayCategories && rng.chance(0.05))
            return rng.chance(0.5) ? "materials" : "Otros gastos";
        return costTypeNames()[static_cast<std::size_t>(typeIndex)];
    }

    void buildPrimaries() {
        auto& entries = db.primaries.entries;
        entries.reserve(static_cast<std::size_t>(shape.primaries));
        for (int i = 0; i < shape.primaries; ++i) {
            const int type = i % 5;
            InputSpec p;
            p.code = makeCode('S', i + 1);
            p.name = rng.pick(kPrimaryWords[static_cast<std::size_t>(type)]) + " " +
                     rng.pick(kQualities) + " n.º " + std::to_string(i + 1);
            p.unit = rng.pick(db.units);
            if (rng.chance(0.4))
                p.description = "Proveedor " + std::to_string(rng.between(1, 400)) +
                                ", precio puesto en obra, incluye descarga";
            p.price = roundTo(0.5 + rng.unit() * rng.unit() * 5000.0, 0.01);
            p.category = primaryCategory(type);
            p.subcategory =
                db.primarySubcategories[static_cast<std::size_t>(type * 3 + rng.below(3))].name;
            entries.push_back(std::move(p));
        }
        db.primaries.counter = shape.primaries;
    }

    LineSpec lineTo(const InputSpec& used, const std::string& parentCode, double quantity) {
        LineSpec line;
        line.kind = used.kind;
        line.subKind = used.subKind;
        line.code = used.code;
        line.name = used.name;
        line.parentCode = parentCode;
        line.quantity = quantity;
        return line;
    }

    LineSpec danglingLine(const std::string& parentCode) {
        LineSpec line;
        line.kind = rng.chance(0.5) ? 0 : 1;
        line.subKind = line.kind == 0 ? 0 : 1;
        line.code = makeCode(line.kind == 0 ? 'S' : 'C', 900000 + rng.below(1000));
        line.name = "Insumo eliminado";
        line.parentCode = parentCode;
        line.quantity = 1.0;
        return line;
    }

    static bool holds(const InputSpec& input, const std::string& code) {
        for (const auto& line : input.lines)
            if (line.code == code)
                return true;
        return false;
    }

    void addLine(InputSpec& holder, const InputSpec& used, double quantity) {
        if (!holds(holder, used.code))
            holder.lines.push_back(lineTo(used, holder.code, quantity));
    }

    double lineQuantity() { return roundTo(0.001 + rng.unit() * rng.unit() * 40.0, 0.001); }

    const InputSpec& randomPrimary() {
        return db.primaries.entries[static_cast<std::size_t>(rng.below(shape.primaries))];
    }

    // A compound of lower depth, skewed so that some sub-compounds are used very widely.
    const InputSpec& sharedCompound(int depth) {
        const auto& pool = compoundsByDepth[static_cast<std::size_t>(depth)];
        const int index =
            pool[static_cast<std::size_t>(rng.popular(static_cast<int>(pool.size())))];
        return db.compounds.entries[static_cast<std::size_t>(index)];
    }

    void fillCompound(InputSpec& c, int depth) {
        const int lines = rng.between(shape.minLines, shape.maxLines);
        if (depth > 1) {
            addLine(c, sharedCompound(depth - 1), lineQuantity());
            const int more = rng.below(3);
            for (int k = 0; k < more; ++k)
                addLine(c, sharedCompound(1 + rng.below(depth - 1)), lineQuantity());
        }
        for (int attempt = 0;
             attempt < lines * 4 && static_cast<int>(c.lines.size()) < lines && shape.primaries > 0;
             ++attempt)
            addLine(c, randomPrimary(), lineQuantity());
        if (shape.danglingLines && rng.chance(0.05))
            c.lines.push_back(danglingLine(c.code));
    }

    int depthOf(int index) const {
        const int primaryOnly = static_cast<int>(shape.compounds * shape.primaryOnlyShare);
        if (index < primaryOnly || shape.maxDepth < 2)
            return 1;
        // The nested ones split 5:3:2 over depths 2, 3 and 4 (or evenly over other depths).
        const int nested = shape.compounds - primaryOnly;
        const int offset = index - primaryOnly;
        if (shape.maxDepth == 4) {
            if (offset < nested / 2)
                return 2;
            return offset < nested / 2 + nested * 3 / 10 ? 3 : 4;
        }
        return 2 + offset * (shape.maxDepth - 1) / std::max(1, nested);
    }

    void buildCompounds() {
        auto& entries = db.compounds.entries;
        entries.reserve(static_cast<std::size_t>(shape.compounds));
        compoundsByDepth.assign(static_cast<std::size_t>(shape.maxDepth + 1), {});
        for (int i = 0; i < shape.compounds; ++i) {
            InputSpec c;
            c.kind = 1;
            c.subKind = 1;
            c.code = makeCode('C', i + 1);
            c.name =
                rng.pick(kWorkWords) + " " + rng.pick(kQualities) + " n.º " + std::to_string(i + 1);
            c.unit = rng.pick(db.units);
            if (rng.chance(0.3))
                c.description = "Análisis de precio unitario según pliego, ítem " +
                                std::to_string(rng.between(1, 999));
            const auto& sub = db.compoundSubcategories[static_cast<std::size_t>(
                rng.below(static_cast<int>(db.compoundSubcategories.size())))];
            c.category = sub.category;
            c.subcategory = sub.name;
            int depth = depthOf(i);
            while (depth > 1 && compoundsByDepth[static_cast<std::size_t>(depth - 1)].empty())
                --depth;
            fillCompound(c, depth);
            compoundsByDepth[static_cast<std::size_t>(depth)].push_back(i);
            entries.push_back(std::move(c));
        }
        db.compounds.counter = shape.compounds;
    }

    InputSpec newBudgetEntry(int subKind, const std::string& name) {
        InputSpec b;
        b.kind = 1;
        b.subKind = subKind;
        b.code = makeCode(subKind == 2 ? 'P' : 'D', ++db.budgets.counter);
        b.name = name;
        return b;
    }

    const InputSpec& budgetLineInput() {
        if (shape.compounds == 0 || (shape.primaries > 0 && rng.chance(0.15)))
            return randomPrimary();
        return db.compounds.entries[static_cast<std::size_t>(rng.below(shape.compounds))];
    }

    double budgetQuantity() { return roundTo(1.0 + rng.unit() * rng.unit() * 800.0, 0.01); }

    void fillDivision(InputSpec& division, int lines) {
        for (int k = 0; k < lines * 4 && static_cast<int>(division.lines.size()) < lines; ++k)
            addLine(division, budgetLineInput(), budgetQuantity());
        if (shape.danglingLines && rng.chance(0.1))
            division.lines.push_back(danglingLine(division.code));
    }

    // Entries of one budget in creation order: the budget first, then its divisions.
    void buildBudget(int number, std::vector<std::size_t>& budgetIndexes) {
        auto& entries = db.budgets.entries;
        const std::size_t budgetIndex = entries.size();
        InputSpec budget = newBudgetEntry(2, "Presupuesto " + std::to_string(number) + " – " +
                                                 "Edificio de viviendas");
        budget.generalCostsRate = 0.15;
        budget.profitRate = 0.10;
        budget.vatRate = 0.21;
        budget.otherChargesRate = number % 3 == 0 ? 0.015 : 0.0;
        budget.client = "Cooperativa de vivienda n.º " + std::to_string(number);
        budget.placement = "Calle " + std::to_string(100 + number) + ", Córdoba";
        entries.push_back(std::move(budget));

        const int divisions = std::max(1, shape.divisionsPerBudget);
        const int perDivision = shape.budgetLines / divisions;
        int extra = shape.budgetLines % divisions;
        std::vector<std::size_t> divisionIndexes;
        for (int d = 0; d < divisions; ++d) {
            InputSpec division =
                newBudgetEntry(3, rng.pick(kDivisionWords) + " " + std::to_string(d + 1));
            division.otherChargesRate = 0.0;
            fillDivision(division, perDivision + (extra-- > 0 ? 1 : 0));
            std::size_t holderIndex = budgetIndex;
            if (shape.nestedDivisions && !divisionIndexes.empty() && rng.chance(0.3))
                holderIndex = divisionIndexes[static_cast<std::size_t>(
                    rng.below(static_cast<int>(divisionIndexes.size())))];
            const std::size_t index = entries.size();
            entries.push_back(std::move(division));
            addLine(entries[holderIndex], entries[index], rng.chance(0.8) ? 1.0 : 2.0);
            divisionIndexes.push_back(index);
        }
        if (shape.primaryBudgetLines && shape.primaries > 0)
            for (int k = 0; k < 3; ++k)
                addLine(entries[budgetIndex], randomPrimary(), budgetQuantity());
        if (shape.subBudgets && !budgetIndexes.empty() && rng.chance(0.5))
            addLine(entries[budgetIndex], entries[rng.pick(budgetIndexes)], 1.0);
        budgetIndexes.push_back(budgetIndex);
    }

    void buildBudgets() {
        std::vector<std::size_t> budgetIndexes;
        for (int b = 1; b <= shape.budgets; ++b)
            buildBudget(b, budgetIndexes);
    }
};

constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char windows1252Byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<char>(cp);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == cp)
            return static_cast<char>(0x80 + i);
    throw std::invalid_argument("text not representable in Windows-1252");
}

} // namespace

const std::vector<std::string>& costTypeNames() {
    static const std::vector<std::string> names = {"Materials", "Labor", "Equipment",
                                                   "Subcontracts", "Others"};
    return names;
}

DatabaseSpec generateDatabase(const DatabaseShape& shape) {
    Builder builder(shape);
    builder.buildNameLists();
    builder.buildPrimaries();
    builder.buildCompounds();
    builder.buildBudgets();
    return std::move(builder.db);
}

DatabaseSpec tangledDatabase(int compounds, int primariesEach, int othersEach) {
    static constexpr int kSteps[] = {1, 2, 4, 7, 11, 13};
    if (othersEach > static_cast<int>(std::size(kSteps)) || othersEach >= compounds)
        throw std::invalid_argument("too many compounds used by each compound");
    DatabaseSpec db;
    db.units = {"u"};
    db.compoundCategories = {"Tangle"};
    db.compoundSubcategories = {{"Tangle", "Tangle"}};
    // Neighbouring compounds share half their primaries.
    const int half = std::max(1, primariesEach / 2);
    const int primaries = std::max(primariesEach, compounds * half);
    for (int p = 1; p <= primaries; ++p) {
        InputSpec primary;
        primary.code = makeCode('S', p);
        primary.name = "Insumo " + std::to_string(p);
        primary.unit = "u";
        primary.price = 1 + p % 7;
        primary.category = costTypeNames()[static_cast<std::size_t>(p % 5)];
        db.primaries.entries.push_back(std::move(primary));
    }
    db.primaries.counter = primaries;
    // Primary lines have subkind 0, compound lines subkind 1.
    auto line = [](int kind, const std::string& code, const std::string& parent, int quantity) {
        return LineSpec{kind, kind, code, "", parent, static_cast<double>(quantity)};
    };
    InputSpec budget;
    budget.kind = 1;
    budget.subKind = 2;
    budget.code = makeCode('P', 1);
    budget.name = "Tangle";
    budget.unit = "u";
    for (int c = 0; c < compounds; ++c) {
        InputSpec compound;
        compound.kind = 1;
        compound.subKind = 1;
        compound.code = makeCode('C', c + 1);
        compound.name = "Compound " + std::to_string(c + 1);
        compound.unit = "u";
        compound.category = "Tangle";
        compound.subcategory = "Tangle";
        for (int k = 0; k < primariesEach; ++k)
            compound.lines.push_back(
                line(0, makeCode('S', (c * half + k) % primaries + 1), compound.code, 1 + k % 3));
        for (int k = 0; k < othersEach; ++k)
            compound.lines.push_back(line(1, makeCode('C', (c + kSteps[k]) % compounds + 1),
                                          compound.code, 1 + (c + k) % 2));
        budget.lines.push_back(line(1, compound.code, budget.code, 1));
        db.compounds.entries.push_back(std::move(compound));
    }
    db.compounds.counter = compounds;
    db.budgets.entries.push_back(std::move(budget));
    db.budgets.counter = 1;
    return db;
}

std::string toWindows1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        if (i + extra >= utf8.size())
            throw std::invalid_argument("truncated UTF-8");
        char32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
        for (std::size_t k = 1; k <= extra; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out.push_back(windows1252Byte(cp));
        i += extra + 1;
    }
    return out;
}

void CdbWriter::writeSignature() {
    writeByte(0x1B);
    writeByte(0xA2);
    writeByte(0x0D);
}

void CdbWriter::writeByte(std::uint8_t value) {
    bytes_.push_back(static_cast<char>(value));
}

void CdbWriter::writeInteger(std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        bytes_.push_back(static_cast<char>((u >> shift) & 0xFF));
}

void CdbWriter::writeDouble(double value) {
    const auto u = std::bit_cast<std::uint64_t>(value);
    for (int shift = 0; shift < 64; shift += 8)
        bytes_.push_back(static_cast<char>((u >> shift) & 0xFF));
}

void CdbWriter::writeString(std::string_view utf8) {
    const std::string text = toWindows1252(utf8);
    writeInteger(static_cast<std::int32_t>(text.size()));
    bytes_ += text;
}

void CdbWriter::writeRawString(std::int32_t declaredLength, std::string_view bytes) {
    writeInteger(declaredLength);
    bytes_.append(bytes);
}

void CdbWriter::writeLine(const LineSpec& line) {
    writeInteger(line.kind);
    if (line.kind == 1)
        writeInteger(line.subKind);
    writeString(line.name);
    writeString(line.code);
    writeString(line.parentCode);
    writeDouble(line.quantity);
}

void CdbWriter::writeInput(const InputSpec& input) {
    writeString(input.code);
    writeInteger(input.kind);
    writeInteger(input.subKind);
    writeString(input.name);
    writeString(input.unit);
    writeString(input.description);
    writeDouble(input.price);
    writeString(input.category);
    writeString(input.subcategory);
    if (input.kind != 1)
        return;
    writeInteger(static_cast<std::int32_t>(input.lines.size()));
    for (const auto& line : input.lines)
        writeLine(line);
    writeDouble(input.generalCostsRate);
    writeDouble(input.profitRate);
    writeDouble(input.vatRate);
    writeDouble(input.otherChargesRate);
    writeString(input.client);
    writeString(input.placement);
}

void CdbWriter::writeCollection(const CollectionSpec& collection) {
    writeInteger(static_cast<std::int32_t>(collection.entries.size()));
    for (const auto& entry : collection.entries) {
        writeInteger(entry.kind);
        writeInput(entry);
    }
    writeInteger(collection.counter);
}

void CdbWriter::writeDatabase(const DatabaseSpec& db) {
    writeSignature();
    writeInteger(static_cast<std::int32_t>(db.units.size()));
    for (const auto& unit : db.units)
        writeString(unit);
    writeInteger(static_cast<std::int32_t>(db.primarySubcategories.size()));
    for (const auto& sub : db.primarySubcategories) {
        writeString(sub.name);
        writeString(sub.category);
    }
    writeInteger(static_cast<std::int32_t>(db.compoundCategories.size()));
    for (const auto& category : db.compoundCategories)
        writeString(category);
    writeInteger(static_cast<std::int32_t>(db.compoundSubcategories.size()));
    for (const auto& sub : db.compoundSubcategories) {
        writeString(sub.name);
        writeString(sub.category);
    }
    writeCollection(db.primaries);
    writeCollection(db.compounds);
    writeCollection(db.budgets);
}

std::string cdbImage(const DatabaseSpec& db) {
    CdbWriter writer;
    writer.writeDatabase(db);
    return writer.take();
}

void writeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace estimating_bench
