#pragma once
// The data model of the estimating database: inputs (primaries, compounds, budgets, divisions),
// the lines of compound-type inputs, the break-down of nested compounds into primaries, the
// collections of inputs and the name lists of categories, subcategories and units.
//
// Strings are UTF-8. Behaviour depends on an input's or line's Kind and SubKind, never on its
// class (a budget read from a file is a TInsumoCompuesto with SubKind 2).

#include "CodeIndex.h"
#include "Keys.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace estimating {

class ExplodeRun;
class TArchive;
class TDocument;
class TInsumoCompuesto;
class TInsumos;
class TItems;

// Kinds and subkinds of inputs and lines.
inline constexpr std::uint8_t kKindPrimary = 0;  // TInsumoSimple, code letter S
inline constexpr std::uint8_t kKindCompound = 1; // compound-type: compound, budget, division
inline constexpr std::uint8_t kSubKindNone = 0;
inline constexpr std::uint8_t kSubKindCompound = 1; // C
inline constexpr std::uint8_t kSubKindBudget = 2;   // P
inline constexpr std::uint8_t kSubKindDivision = 3; // D

// The five cost types, in their fixed order (the slots of CostAmounts).
inline constexpr int kCostTypeCount = 5;
inline constexpr std::array<std::string_view, kCostTypeCount> kCostTypeNames = {
    "Materials", "Labor", "Equipment", "Subcontracts", "Others"};

// Message texts of the model.
inline constexpr std::string_view kItemExistsMessage =
    "Error : This item already exists in this compound.";
inline constexpr std::string_view kNoSuchInputMessage =
    "Error : This primary does not exist in the database.";
inline constexpr std::string_view kDeleteFailedMessage = "Error trying to delete this item.";
inline constexpr std::string_view kNoCodeLeftMessage =
    "Error : There is no code left for a new entry in this database.";

// Raised by TItems::Add for a code the list already holds.
class EItemExistente : public std::runtime_error {
public:
    EItemExistente() : std::runtime_error(std::string(kItemExistsMessage)) {}
};

// What an input belongs to, as the user interface sets it: the document for a new compound, the
// holding budget or division for a new division. Not owned, not stored; nothing computes with it.
using TOwnerRef = std::variant<std::monostate, const TDocument*, const class TInsumo*>;

// ---------------------------------------------------------------------------------------------
// Inputs

class TInsumo {
public:
    TInsumo() = default;
    virtual ~TInsumo() = default;
    TInsumo(const TInsumo&) = delete;
    TInsumo& operator=(const TInsumo&) = delete;

    std::uint8_t Kind() const { return kind_; }
    std::uint8_t SubKind() const { return subKind_; }
    const std::string& Code() const { return code_; }
    const std::string& Name() const { return name_; }
    const std::string& Description() const { return description_; }
    const std::string& Unit() const { return unit_; }
    double Price() const { return price_; }
    double SpareValue() const { return spareValue_; }
    const std::string& Category() const { return category_; }
    const std::string& Subcategory() const { return subcategory_; }
    const TOwnerRef& Owner() const { return owner_; }
    std::uint8_t Deleted() const { return deleted_; }

    void SetKind(std::uint8_t kind) { kind_ = kind; }
    void SetSubKind(std::uint8_t subKind) { subKind_ = subKind; }
    // Keeps the code index of the collection holding this input in step.
    void SetCode(std::string code);
    void SetName(std::string name) { name_ = std::move(name); }
    void SetDescription(std::string description) { description_ = std::move(description); }
    void SetUnit(std::string unit) { unit_ = std::move(unit); }
    void SetPrice(double price) { price_ = price; }
    void SetCategory(std::string category) { category_ = std::move(category); }
    void SetSubcategory(std::string subcategory) { subcategory_ = std::move(subcategory); }
    void SetSpareValue(double value) { spareValue_ = value; }
    void SetOwner(TOwnerRef owner) { owner_ = owner; }
    void SetDeleted(std::uint8_t deleted) { deleted_ = deleted; }

    // Copies Kind, Owner, Code, Name, Description, Unit, Category, Subcategory and SpareValue
    // (not SubKind, Price or Deleted).
    virtual void Assign(const TInsumo& source);

    // The compound-type part of this object, or nullptr for a primary object.
    virtual TInsumoCompuesto* AsCompuesto() { return nullptr; }
    virtual const TInsumoCompuesto* AsCompuesto() const { return nullptr; }

    // Input head of the database file, both directions.
    virtual void Transfer(TArchive& archive);

protected:
    void TransferHead(TArchive& archive);

private:
    friend class TInsumos;
    std::uint8_t kind_ = 0;
    std::uint8_t subKind_ = 0;
    std::uint8_t deleted_ = 0;
    std::string code_;
    std::string name_;
    std::string description_;
    std::string unit_;
    double price_ = 0.0;
    double spareValue_ = 0.0;
    std::string category_;
    std::string subcategory_;
    TOwnerRef owner_;
    TInsumos* collection_ = nullptr; // the collection that holds it, for its code index
};

// A primary: an input with its own unit price.
class TInsumoSimple : public TInsumo {
public:
    double GetPrice() const { return Price(); }
    // Also copies Price.
    void Assign(const TInsumo& source) override;
};

// ---------------------------------------------------------------------------------------------
// Lines

// One line of a compound-type input. Callers fill a template and pass it to TItems::Add.
struct TItem {
    std::uint8_t Kind = 0;
    std::uint8_t SubKind = 0;
    std::string Code;          // code of the input used
    std::string ParentCode;    // code of the holding input
    TInsumo* Insumo = nullptr; // the input used; empty when its code was not found on reading
    std::string Name;
    double Quantity = 0.0;
    TInsumoCompuesto* Parent = nullptr; // the holding input

    void SetInsumo(TInsumo* insumo) { Insumo = insumo; }
    void Transfer(TArchive& archive);
};

// The line list of one compound-type input, with its exploded list: one entry per distinct
// primary code reached through the lines, in order of first appearance.
class TItems {
public:
    TItems() = default;
    ~TItems();
    TItems(const TItems&) = delete;
    TItems& operator=(const TItems&) = delete;

    TInsumoCompuesto* Owner() const { return owner_; }
    void SetOwner(TInsumoCompuesto* owner) { owner_ = owner; }

    int Count() const { return static_cast<int>(list_.size()); }
    // The line at a position (0 <= index < Count()).
    TItem& Item(int index) const { return *list_[static_cast<std::size_t>(index)]; }
    const std::vector<std::unique_ptr<TItem>>& List() const { return list_; }

    // Appends a copy of the template, its Parent and ParentCode those of this list's owner, and
    // gives it back. Throws EItemExistente when a line with the template's code is already here.
    TItem* Add(const TItem& tmpl);
    bool Exists(const TKey& key) const;
    // The first line with the code, or the line at the position; nullptr when there is none.
    TItem* Find(const TKey& key) const;
    // Removes and frees the line Find gives; nothing when there is none.
    void Delete(const TKey& key);
    // Moves the line at `from` to position `to` (both valid positions); the others keep their
    // order.
    void Move(int from, int to);
    // Removes and frees every line.
    void Clear();
    // Empties the links of lines to `input` and drops the exploded list when it refers to it.
    void ForgetLinksTo(const TInsumo& input);

    // Rebuilds the exploded list (sub-inputs' exploded lists are rebuilt on the way).
    void Explode();
    // Merges one entry into the exploded list: adds its quantity to the first entry with the
    // same code, or appends a copy of Kind, Code, ParentCode, Quantity and Insumo.
    void AddExploded(const TItem& entry);
    const std::vector<TItem>& Exploded() const { return exploded_; }
    int ExplodedCount() const { return static_cast<int>(exploded_.size()); }

    void Transfer(TArchive& archive);

private:
    friend class ExplodeRun;
    std::vector<std::unique_ptr<TItem>> list_;
    std::vector<TItem> exploded_;
    TInsumoCompuesto* owner_ = nullptr;
    std::uint64_t explodedRun_ = 0; // the computation that last rebuilt the exploded list
    bool explodedWhole_ = false;    // no line under it was cut for closing a cycle through it
    bool explodedOwn_ = false;      // it holds the break-down started from its own input
    std::uint32_t pathDepth_ = 0;   // 1 + its position on the path of the computation in progress
};

// While one lives on this thread, every break-down (Explode, ComputePrice) shares one computation:
// a line list broken down once serves the next figures as it stands, and the bounded work that
// the cycles of a damaged file may take is spent once for all of them. Only for figures shown
// together, with no change to the database while it lives. A nested one joins the outermost.
class TBreakDownScope {
public:
    TBreakDownScope();
    ~TBreakDownScope();
    TBreakDownScope(const TBreakDownScope&) = delete;
    TBreakDownScope& operator=(const TBreakDownScope&) = delete;

private:
    std::unique_ptr<ExplodeRun> run_; // empty when joining an outer scope
};

// A compound-type input: compound, budget or division.
class TInsumoCompuesto : public TInsumo {
public:
    TInsumoCompuesto();
    ~TInsumoCompuesto() override;

    TItems& Items() { return items_; }
    const TItems& Items() const { return items_; }
    // Filled by ComputePrice, one slot per cost type in the order of kCostTypeNames.
    const std::array<double, kCostTypeCount>& CostAmounts() const { return costAmounts_; }

    double GeneralCostsRate() const { return generalCostsRate_; }
    double ProfitRate() const { return profitRate_; }
    double VatRate() const { return vatRate_; }
    double OtherChargesRate() const { return otherChargesRate_; }
    const std::string& Client() const { return client_; }
    const std::string& Placement() const { return placement_; }
    void SetGeneralCostsRate(double rate) { generalCostsRate_ = rate; }
    void SetProfitRate(double rate) { profitRate_ = rate; }
    void SetVatRate(double rate) { vatRate_ = rate; }
    void SetOtherChargesRate(double rate) { otherChargesRate_ = rate; }
    void SetClient(std::string client) { client_ = std::move(client); }
    void SetPlacement(std::string placement) { placement_ = std::move(placement); }

    TInsumoCompuesto* AsCompuesto() override { return this; }
    const TInsumoCompuesto* AsCompuesto() const override { return this; }

    // True when this input has the code or reaches an input with it through kind-1 lines.
    virtual bool UsesCode(const std::string& code) const;
    // Explodes the lines and gives the total price; fills CostAmounts. Rates are not applied.
    double ComputePrice();
    // True when this input has the code or reaches it through budget and division lines.
    bool ContainsBudget(const std::string& code) const;

    void Transfer(TArchive& archive) override;

private:
    bool Reaches(const std::string& code, bool (*follows)(const TItem&)) const;

    TItems items_; // owned lines
    std::array<double, kCostTypeCount> costAmounts_{};
    double generalCostsRate_ = 0.0;
    double profitRate_ = 0.0;
    double vatRate_ = 0.0;
    double otherChargesRate_ = 0.0;
    std::string client_;
    std::string placement_;
};

// What one unit of an input costs: a compound-type input's computed price, a primary's price.
double UnitPrice(TInsumo& input);
// The price of an exploded list: each entry's quantity times its primary's price, summed in list
// order; each amount also goes to the slot of its primary's cost type.
double PriceOfExploded(const std::vector<TItem>& exploded,
                       std::array<double, kCostTypeCount>& costAmounts);

// The bid price of a budget, each surcharge worked out in the order the estimate is built.
struct TBidPrice {
    double DirectCost = 0;
    double GeneralCosts = 0;
    double Profit = 0;
    double Vat = 0;
    double OtherCharges = 0;
    double Price = 0;
};
TBidPrice WorkOutBidPrice(double directCost, double generalCostsRate, double profitRate,
                          double vatRate, double otherChargesRate);
// At the budget's own rates.
TBidPrice WorkOutBidPrice(const TInsumoCompuesto& budget, double directCost);

// How many compound-type inputs of the collections have a figure that is not finite: in the
// break-down that starts at the input, a quantity of a primary, the price or a cost-type amount;
// for a budget, also a bid figure. One walk over the lines bounds every figure; only an input
// whose figures could come near the largest double, or that reaches a cycle, is broken down (its
// exploded list is rebuilt).
std::size_t NonFinitePrices(TInsumos& compounds, TInsumos& budgets);

// The class of new budgets and divisions; adds nothing.
class TPresupuesto : public TInsumoCompuesto {};

// ---------------------------------------------------------------------------------------------
// Collections

// An owning collection of inputs in insertion order with a counter that only grows. Lookups by
// code give the first entry with that code in constant average time.
class TInsumos {
public:
    TInsumos() = default;
    virtual ~TInsumos();
    TInsumos(const TInsumos&) = delete;
    TInsumos& operator=(const TInsumos&) = delete;

    int Count() const { return static_cast<int>(list_.size()); }
    // The entry at a position (0 <= index < Count()), without the out-of-range message of Find.
    TInsumo& Insumo(int index) const { return *list_[static_cast<std::size_t>(index)]; }
    const std::vector<std::unique_ptr<TInsumo>>& List() const { return list_; }

    std::int32_t Counter() const { return counter_; }
    void SetCounter(std::int32_t counter) { counter_ = counter; }

    // Appends the input (now owned) and raises the counter; gives the input back, or nullptr
    // after showing "Error : " + the reason when it could not be appended.
    TInsumo* Add(std::unique_ptr<TInsumo> input);
    // The first entry with the code, silently nullptr when none; the entry at a position, with
    // the message "Error : This primary does not exist in the database." when out of range.
    TInsumo* Find(const TKey& key) const;
    // Marks the entry deleted, purges the lines of this collection that use it and frees it.
    // Shows "Error trying to delete this item." when nothing was found.
    void Delete(const TKey& key);
    // For every compound-type entry: removes the lines whose input is marked deleted (last to
    // first), then rebuilds its exploded list. Lines without a link are kept.
    void PurgeDeleted();
    // The next code: a letter and Counter + 1 in at least six digits ("S000001"); empty for a
    // compound-type kind with a subkind other than 1, 2 or 3. Does not change Counter.
    std::string NewCode(std::uint8_t kind, std::uint8_t subKind) const;
    // Whether `count` more entries can each get a code of their own (the counter stops at its
    // largest value, where NewCode would repeat itself).
    bool HasCodesFor(std::int64_t count) const;

    // Raises Counter to the highest number in use in the codes of its entries.
    void RaiseCounterToCodes();
    // Empties every link of this collection's entries and lines to `input` (Owner, line links,
    // line parents, exploded lists that refer to it).
    void ForgetLinksTo(const TInsumo& input);

    // Called with each entry just before Delete frees it; the document clears the links that
    // other collections hold to it.
    using RemovalHook = std::function<void(const TInsumo&)>;
    void SetRemovalHook(RemovalHook hook) { removalHook_ = std::move(hook); }

    void Transfer(TArchive& archive);

private:
    friend class TInsumo;
    void Append(std::unique_ptr<TInsumo> input);
    void IndexAdd(TInsumo* input);
    void IndexRemove(TInsumo* input, const std::string& code);
    void CodeChanging(TInsumo* input, const std::string& oldCode, const std::string& newCode);
    std::int64_t PositionOf(const TInsumo* input) const;
    void Clear();

    std::vector<std::unique_ptr<TInsumo>> list_;
    TCodeIndex index_;
    std::int32_t counter_ = 0;
    RemovalHook removalHook_;
};

class TInsumosSimples : public TInsumos {};    // Primaries
class TInsumosCompuestos : public TInsumos {}; // Compounds
class TPresupuestos : public TInsumos {};      // Budgets: budgets and divisions

// ---------------------------------------------------------------------------------------------
// Categories, subcategories and units

class TCategoria {
public:
    TCategoria() = default;
    explicit TCategoria(std::string name) : Name(std::move(name)) {}
    virtual ~TCategoria() = default;
    std::string Name;
    virtual void Transfer(TArchive& archive);
};

class TSubcategoria : public TCategoria {
public:
    TSubcategoria() = default;
    TSubcategoria(std::string name, std::string category)
        : TCategoria(std::move(name)), Category(std::move(category)) {}
    std::string Category; // name of the category it belongs to
    void Transfer(TArchive& archive) override;
};

// An ordered, unsorted list of names, duplicates allowed, each with an optional owned object.
// IndexOf compares names without regard to letter case. A position out of range throws
// std::out_of_range "List index out of bounds (<index>)".
template <class Object> class TNameList {
public:
    int Count() const { return static_cast<int>(entries_.size()); }
    // Appends a name (with no object) and gives its position.
    int Add(std::string name);
    int AddObject(std::string name, std::unique_ptr<Object> object);
    const std::string& Strings(int index) const { return At(index).name; }
    void SetString(int index, std::string name) { At(index).name = std::move(name); }
    Object* Objects(int index) const { return At(index).object.get(); }
    // Removes the entry and frees its object.
    void Delete(int index);
    void Clear() { entries_.clear(); }
    // Position of the first name equal to `name` without regard to case, or -1.
    int IndexOf(std::string_view name) const;
    // Position of the entry that owns `object`, or -1.
    int IndexOfObject(const Object* object) const;

private:
    struct Entry {
        std::string name;
        std::unique_ptr<Object> object;
    };
    Entry& At(int index);
    const Entry& At(int index) const;
    std::vector<Entry> entries_;
};

class TCategorias : public TNameList<TCategoria> {
public:
    void Transfer(TArchive& archive);
};
class TSubCategorias : public TNameList<TSubcategoria> {
public:
    void Transfer(TArchive& archive);
    // Whether a subcategory is named exactly `name` under exactly `category`.
    bool Holds(std::string_view name, std::string_view category) const;
};
struct TNoObject {};
class TUnidades : public TNameList<TNoObject> {
public:
    void Transfer(TArchive& archive);
};

extern template class TNameList<TCategoria>;
extern template class TNameList<TSubcategoria>;
extern template class TNameList<TNoObject>;

} // namespace estimating
