#include "Componentes.h"

#include "FileManagement2.h"
#include "Seams.h"
#include "Win1252.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <limits>
#include <unordered_map>
#include <unordered_set>

namespace estimating {

namespace {

// Smallest sizes of records in the file, to check counts against the bytes that remain.
constexpr std::size_t kMinLineBytes = 4 + 4 + 4 + 4 + 8;
constexpr std::size_t kMinEntryBytes = 4 + 4 + 4 + 4 + 4 + 4 + 4 + 8 + 4 + 4;
constexpr std::size_t kMinStringBytes = 4;

std::uint8_t LowByte(std::int32_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

std::string OutOfBoundsMessage(std::int64_t index) {
    return "List index out of bounds (" + std::to_string(index) + ")";
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TInsumo

void TInsumo::SetCode(std::string code) {
    if (code == code_) {
        return;
    }
    if (collection_ != nullptr) {
        collection_->CodeChanging(this, code_, code);
    }
    code_ = std::move(code);
}

void TInsumo::Assign(const TInsumo& source) {
    if (&source == this) {
        return;
    }
    SetKind(source.Kind());
    SetOwner(source.Owner());
    SetCode(source.Code());
    SetName(source.Name());
    SetDescription(source.Description());
    SetUnit(source.Unit());
    SetCategory(source.Category());
    SetSubcategory(source.Subcategory());
    SetSpareValue(source.SpareValue());
}

void TInsumo::Transfer(TArchive& archive) {
    TransferHead(archive);
}

void TInsumo::TransferHead(TArchive& archive) {
    if (archive.IsStoring()) {
        archive.WriteString(code_);
        archive.WriteInteger(kind_);
        archive.WriteInteger(subKind_);
        archive.WriteString(name_);
        archive.WriteString(unit_);
        archive.WriteString(description_);
        archive.WriteDouble(price_);
        archive.WriteString(category_);
        archive.WriteString(subcategory_);
        return;
    }
    SetCode(archive.ReadString());
    kind_ = LowByte(archive.ReadInteger());
    subKind_ = LowByte(archive.ReadInteger());
    name_ = archive.ReadString();
    unit_ = archive.ReadString();
    description_ = archive.ReadString();
    price_ = archive.ReadDouble();
    category_ = archive.ReadString();
    subcategory_ = archive.ReadString();
}

void TInsumoSimple::Assign(const TInsumo& source) {
    TInsumo::Assign(source);
    SetPrice(source.Price());
}

// ---------------------------------------------------------------------------------------------
// TItem

void TItem::Transfer(TArchive& archive) {
    if (archive.IsStoring()) {
        archive.WriteInteger(Kind);
        if (Kind == kKindCompound) {
            archive.WriteInteger(SubKind);
        }
        archive.WriteString(Name);
        archive.WriteString(Code);
        archive.WriteString(ParentCode);
        archive.WriteDouble(Quantity);
        return;
    }
    Kind = LowByte(archive.ReadInteger());
    if (Kind == kKindCompound) {
        SubKind = LowByte(archive.ReadInteger());
    }
    Name = archive.ReadString();
    Code = archive.ReadString();
    ParentCode = archive.ReadString();
    Quantity = archive.ReadDouble();
}

// ---------------------------------------------------------------------------------------------
// The break-down of compound-type inputs into primaries.
//
// One run explodes each line list it meets once and reuses it as it stands wherever it is met
// again, which gives the same entries, in the same order and with the same sums, as exploding
// it again. A line whose input is being exploded further up the path would close a cycle (only
// in a damaged file) and contributes nothing. What a list on a cycle holds then depends on the
// path it was exploded under, so such a list is exploded again wherever it is met, into a
// scratch list, and keeps what it got when exploded for its own sake. A list that no cut under
// it led above it holds the break-down started from its own input, which a later start from that
// input (another figure of the same view) takes as it stands. The walk keeps its own stack, so
// deep nesting in a damaged file cannot exhaust the machine's.

namespace {

std::atomic<std::uint64_t> lastExplodeRun{0};

// Positions of exploded entries by code, for long exploded lists; short ones are scanned.
class ExplodedIndex {
public:
    static constexpr std::size_t kScanLimit = 16;

    std::int64_t FindIn(const std::vector<TItem>& entries, const std::string& code) {
        if (slots_.empty()) {
            if (entries.size() <= kScanLimit) {
                return Scan(entries, code);
            }
            Rebuild(entries);
        }
        std::size_t i = Hash(code) & mask_;
        while (slots_[i] != 0) {
            const std::uint32_t position = slots_[i] - 1;
            if (entries[position].Code == code) {
                return position;
            }
            i = (i + 1) & mask_;
        }
        return -1;
    }

    // Records the entry just appended at the end of `entries`.
    void Appended(const std::vector<TItem>& entries) {
        if (slots_.empty()) {
            return;
        }
        if (entries.size() * 2 > slots_.size()) {
            Rebuild(entries);
            return;
        }
        Insert(entries, entries.size() - 1);
    }

private:
    static std::size_t Hash(const std::string& code) { return std::hash<std::string>{}(code); }

    static std::int64_t Scan(const std::vector<TItem>& entries, const std::string& code) {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].Code == code) {
                return static_cast<std::int64_t>(i);
            }
        }
        return -1;
    }

    void Rebuild(const std::vector<TItem>& entries) {
        std::size_t size = 64;
        while (size < entries.size() * 4) {
            size *= 2;
        }
        slots_.assign(size, 0);
        mask_ = size - 1;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            Insert(entries, i);
        }
    }

    void Insert(const std::vector<TItem>& entries, std::size_t position) {
        std::size_t i = Hash(entries[position].Code) & mask_;
        while (slots_[i] != 0) {
            i = (i + 1) & mask_;
        }
        slots_[i] = static_cast<std::uint32_t>(position + 1);
    }

    std::vector<std::uint32_t> slots_;
    std::size_t mask_ = 0;
};

void MergeExploded(std::vector<TItem>& entries, ExplodedIndex& index, const TItem& entry,
                   double quantity) {
    const std::int64_t found = index.FindIn(entries, entry.Code);
    if (found >= 0) {
        entries[static_cast<std::size_t>(found)].Quantity += quantity;
        return;
    }
    TItem copy;
    copy.Kind = entry.Kind;
    copy.Code = entry.Code;
    copy.ParentCode = entry.ParentCode;
    copy.Quantity = quantity;
    copy.Insumo = entry.Insumo;
    entries.push_back(std::move(copy));
    index.Appended(entries);
}

} // namespace

class ExplodeRun {
public:
    ExplodeRun() : id_(++lastExplodeRun) {}
    ExplodeRun(const ExplodeRun&) = delete;
    ExplodeRun& operator=(const ExplodeRun&) = delete;
    ~ExplodeRun() { LeavePath(); }

    void Explode(TItems& root) {
        if (StandsAsRoot(root)) {
            return;
        }
        try {
            Begin(root, true);
            while (!stack_.empty()) {
                Step();
            }
        } catch (...) {
            LeavePath();
            throw;
        }
    }

private:
    // Exploding the lists of a cycle again under every path that reaches them costs more than
    // any file needs; past this much work (lines and merged entries, some 50 ms) they are
    // reused as found, so that one view of a densely tangled file still shows at once.
    static constexpr std::uint64_t kMaxRepeatedWork = std::uint64_t{1} << 20;
    static constexpr std::size_t kNoCycle = std::numeric_limits<std::size_t>::max();

    struct Frame {
        TItems* items;
        std::vector<TItem>* out;
        std::unique_ptr<std::vector<TItem>> scratch; // a repeated explosion's own list
        std::size_t next = 0;
        std::size_t shallowestCut = kNoCycle; // path position of an input a cut line led to
        ExplodedIndex index;
    };

    // A list exploded in this run can stand for itself unless a line under it was cut for
    // leading back to it or above it (only a list on a cycle).
    bool Reusable(const TItems& items) const {
        return items.explodedRun_ == id_ &&
               (items.explodedWhole_ || repeatedWork_ > kMaxRepeatedWork);
    }

    // A list exploded in this run holds what a start from its own input gives unless a line
    // under it was cut for leading above it.
    bool StandsAsRoot(const TItems& items) const {
        return items.explodedRun_ == id_ &&
               (items.explodedOwn_ || repeatedWork_ > kMaxRepeatedWork);
    }

    void Begin(TItems& items, bool forItsOwnSake) {
        Frame frame{&items, &items.exploded_, nullptr, 0, kNoCycle, {}};
        if (items.explodedRun_ == id_ && !forItsOwnSake) {
            frame.scratch = std::make_unique<std::vector<TItem>>();
            frame.out = frame.scratch.get();
        }
        frame.out->clear();
        stack_.push_back(std::move(frame));
        items.pathDepth_ = static_cast<std::uint32_t>(stack_.size());
    }

    void Step() {
        Frame& frame = stack_.back();
        const std::vector<std::unique_ptr<TItem>>& lines = frame.items->list_;
        if (frame.next >= lines.size()) {
            Finish();
            return;
        }
        CountRepeated(frame, 1);
        const TItem& line = *lines[frame.next];
        TItems* sub = SubItems(line);
        if (sub != nullptr && sub->pathDepth_ != 0) {
            frame.shallowestCut = std::min<std::size_t>(frame.shallowestCut, sub->pathDepth_ - 1);
        } else if (sub != nullptr && !Reusable(*sub)) {
            Begin(*sub, false); // the line is merged when the sub-list is finished
            return;
        } else if (sub != nullptr) {
            if (!sub->explodedWhole_) {
                frame.shallowestCut = 0; // reused as found: nothing above can stand for itself
            }
            MergeSubList(frame, sub->exploded_, line.Quantity);
        } else if (line.Kind == kKindPrimary && line.Insumo != nullptr) {
            MergeExploded(*frame.out, frame.index, line, line.Quantity);
        }
        ++frame.next;
    }

    // The line list whose exploded entries a compound-type line contributes, or nullptr.
    static TItems* SubItems(const TItem& line) {
        if (line.Kind != kKindCompound || line.Insumo == nullptr) {
            return nullptr;
        }
        TInsumoCompuesto* sub = line.Insumo->AsCompuesto();
        return sub == nullptr ? nullptr : &sub->Items();
    }

    void MergeSubList(Frame& frame, const std::vector<TItem>& sub, double quantity) {
        CountRepeated(frame, sub.size());
        for (const TItem& entry : sub) {
            MergeExploded(*frame.out, frame.index, entry, entry.Quantity * quantity);
        }
    }

    // Lists left half rebuilt are not taken as rebuilt by a later start.
    void LeavePath() {
        for (auto& frame : stack_) {
            frame.items->pathDepth_ = 0;
            if (frame.scratch == nullptr) {
                frame.items->explodedRun_ = 0;
            }
        }
        stack_.clear();
    }

    void CountRepeated(const Frame& frame, std::size_t work) {
        if (frame.scratch != nullptr) {
            repeatedWork_ += work;
        }
    }

    void Finish() {
        const std::size_t position = stack_.size() - 1;
        Frame& done = stack_.back();
        TItems& items = *done.items;
        items.pathDepth_ = 0;
        if (done.scratch == nullptr) {
            items.explodedRun_ = id_;
            items.explodedWhole_ = done.shallowestCut > position;
            items.explodedOwn_ = done.shallowestCut >= position;
        }
        if (position > 0) {
            Frame& parent = stack_[position - 1];
            parent.shallowestCut = std::min(parent.shallowestCut, done.shallowestCut);
            const TItem& line = *parent.items->list_[parent.next];
            MergeSubList(parent, *done.out, line.Quantity);
            ++parent.next;
        }
        stack_.pop_back();
    }

    std::uint64_t id_;
    std::vector<Frame> stack_;
    std::uint64_t repeatedWork_ = 0;
};

// ---------------------------------------------------------------------------------------------
// TItems

TItems::~TItems() = default;

TItem* TItems::Add(const TItem& tmpl) {
    if (Exists(tmpl.Code)) {
        throw EItemExistente();
    }
    auto line = std::make_unique<TItem>();
    line->Quantity = tmpl.Quantity;
    line->Parent = owner_;
    line->ParentCode = owner_ != nullptr ? owner_->Code() : std::string();
    line->Kind = tmpl.Kind;
    line->Name = tmpl.Name;
    line->SubKind = tmpl.SubKind;
    line->Code = tmpl.Code;
    line->Insumo = tmpl.Insumo;
    list_.push_back(std::move(line));
    return list_.back().get();
}

bool TItems::Exists(const TKey& key) const {
    return Find(key) != nullptr;
}

TItem* TItems::Find(const TKey& key) const {
    if (key.IsCode()) {
        const std::string& code = key.Code();
        for (const auto& line : list_) {
            if (line->Code == code) {
                return line.get();
            }
        }
        return nullptr;
    }
    if (key.IsPosition()) {
        const std::int64_t position = key.Position();
        if (position >= 0 && position < static_cast<std::int64_t>(list_.size())) {
            return list_[static_cast<std::size_t>(position)].get();
        }
    }
    return nullptr;
}

void TItems::Delete(const TKey& key) {
    try {
        const TItem* line = Find(key);
        if (line == nullptr) {
            return;
        }
        const auto it = std::find_if(list_.begin(), list_.end(), [line](const auto& candidate) {
            return candidate.get() == line;
        });
        list_.erase(it);
    } catch (const std::exception& e) {
        ShowMessage(e.what());
    }
}

void TItems::Move(int from, int to) {
    const auto count = static_cast<int>(list_.size());
    if (from < 0 || from >= count) {
        throw std::out_of_range(OutOfBoundsMessage(from));
    }
    if (to < 0 || to >= count) {
        throw std::out_of_range(OutOfBoundsMessage(to));
    }
    auto line = std::move(list_[static_cast<std::size_t>(from)]);
    list_.erase(list_.begin() + from);
    list_.insert(list_.begin() + to, std::move(line));
}

void TItems::Clear() {
    list_.clear();
}

void TItems::ForgetLinksTo(const TInsumo& input) {
    for (auto& line : list_) {
        if (line->Insumo == &input) {
            line->Insumo = nullptr;
        }
        if (line->Parent != nullptr && static_cast<const TInsumo*>(line->Parent) == &input) {
            line->Parent = nullptr;
        }
    }
    const bool stale = std::any_of(exploded_.begin(), exploded_.end(),
                                   [&input](const TItem& e) { return e.Insumo == &input; });
    if (stale) {
        exploded_.clear();
        explodedRun_ = 0;
    }
}

namespace {

thread_local ExplodeRun* sharedRun = nullptr;

} // namespace

TBreakDownScope::TBreakDownScope() {
    if (sharedRun == nullptr) {
        run_ = std::make_unique<ExplodeRun>();
        sharedRun = run_.get();
    }
}

TBreakDownScope::~TBreakDownScope() {
    if (run_ != nullptr) {
        sharedRun = nullptr;
    }
}

void TItems::Explode() {
    if (sharedRun != nullptr) {
        sharedRun->Explode(*this);
        return;
    }
    ExplodeRun run;
    run.Explode(*this);
}

void TItems::AddExploded(const TItem& entry) {
    ExplodedIndex scan;
    MergeExploded(exploded_, scan, entry, entry.Quantity);
    explodedRun_ = 0;
}

void TItems::Transfer(TArchive& archive) {
    if (archive.IsStoring()) {
        archive.WriteInteger(static_cast<std::int32_t>(list_.size()));
        for (auto& line : list_) {
            line->Transfer(archive);
        }
        return;
    }
    Clear();
    const std::int32_t count = archive.ReadCount(kMinLineBytes);
    list_.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        auto line = std::make_unique<TItem>();
        line->Transfer(archive);
        list_.push_back(std::move(line));
    }
}

// ---------------------------------------------------------------------------------------------
// TInsumoCompuesto

TInsumoCompuesto::TInsumoCompuesto() {
    items_.SetOwner(this);
}

TInsumoCompuesto::~TInsumoCompuesto() = default;

// Walks the lines `follows` lets through, each compound once (a cycle ends the walk there).
bool TInsumoCompuesto::Reaches(const std::string& code, bool (*follows)(const TItem&)) const {
    if (Code() == code) {
        return true;
    }
    std::unordered_set<const TInsumoCompuesto*> visited{this};
    std::vector<const TInsumoCompuesto*> pending{this};
    while (!pending.empty()) {
        const TInsumoCompuesto* input = pending.back();
        pending.pop_back();
        for (const auto& line : input->Items().List()) {
            if (!follows(*line) || line->Insumo == nullptr) {
                continue;
            }
            if (line->Code == code || line->Insumo->Code() == code) {
                return true;
            }
            const TInsumoCompuesto* sub = line->Insumo->AsCompuesto();
            if (sub != nullptr && visited.insert(sub).second) {
                pending.push_back(sub);
            }
        }
    }
    return false;
}

bool TInsumoCompuesto::UsesCode(const std::string& code) const {
    return Reaches(code, [](const TItem& line) { return line.Kind == kKindCompound; });
}

double TInsumoCompuesto::ComputePrice() {
    items_.Explode();
    return PriceOfExploded(items_.Exploded(), costAmounts_);
}

double PriceOfExploded(const std::vector<TItem>& exploded,
                       std::array<double, kCostTypeCount>& costAmounts) {
    costAmounts.fill(0.0);
    double total = 0.0;
    for (const TItem& entry : exploded) {
        if (entry.Insumo == nullptr) {
            continue;
        }
        const double amount = entry.Insumo->Price() * entry.Quantity;
        const std::string& category = entry.Insumo->Category();
        for (int slot = 0; slot < kCostTypeCount; ++slot) {
            if (category == kCostTypeNames[static_cast<std::size_t>(slot)]) {
                costAmounts[static_cast<std::size_t>(slot)] += amount;
                break;
            }
        }
        total += amount;
    }
    return total;
}

double UnitPrice(TInsumo& input) {
    TInsumoCompuesto* compound = input.AsCompuesto();
    return compound ? compound->ComputePrice() : input.Price();
}

TBidPrice WorkOutBidPrice(double directCost, double generalCostsRate, double profitRate,
                          double vatRate, double otherChargesRate) {
    TBidPrice bid;
    bid.DirectCost = directCost;
    bid.GeneralCosts = directCost * generalCostsRate;
    bid.Profit = (directCost + bid.GeneralCosts) * profitRate;
    const double base = directCost + bid.GeneralCosts + bid.Profit;
    bid.Vat = base * vatRate;
    bid.OtherCharges = base * otherChargesRate;
    bid.Price = directCost + bid.GeneralCosts + bid.Profit + bid.Vat + bid.OtherCharges;
    return bid;
}

TBidPrice WorkOutBidPrice(const TInsumoCompuesto& budget, double directCost) {
    return WorkOutBidPrice(directCost, budget.GeneralCostsRate(), budget.ProfitRate(),
                           budget.VatRate(), budget.OtherChargesRate());
}

namespace {

// Below this, no figure a break-down or a bid price works out of the same numbers can reach the
// largest double, however its sums are ordered and rounded.
constexpr double kSafeMagnitude = 1e300;

// Bounds of a compound-type input's break-down: the sum over every path to a primary of the
// product of the quantities' magnitudes bounds each merged quantity; the same sum times the
// primaries' price magnitudes bounds the price and each cost-type amount. A NaN anywhere stays.
struct Bounds {
    double quantities = 0.0;
    double amounts = 0.0;
    bool reachesCycle = false; // then they bound what one path gave, not its own break-down

    void Add(double quantity, const Bounds& input) {
        quantities += std::fabs(quantity) * input.quantities;
        amounts += std::fabs(quantity) * input.amounts;
        reachesCycle = reachesCycle || input.reachesCycle;
    }
    bool Safe(const TInsumoCompuesto& input) const {
        double largest = amounts;
        if (input.SubKind() == kSubKindBudget) {
            largest = WorkOutBidPrice(amounts, std::fabs(input.GeneralCostsRate()),
                                      std::fabs(input.ProfitRate()), std::fabs(input.VatRate()),
                                      std::fabs(input.OtherChargesRate()))
                          .Price;
        }
        return !reachesCycle && quantities <= kSafeMagnitude && largest <= kSafeMagnitude;
    }
};

// Bounds every compound-type input once, without recursion. Lines count as the break-down takes
// them: a kind-1 line through its input's lines, a kind-0 line at its input's price.
class BoundsWalk {
public:
    explicit BoundsWalk(std::size_t inputs) { known_.reserve(inputs); }

    Bounds Of(const TInsumoCompuesto& root) {
        auto [found, added] = known_.try_emplace(&root);
        State& rootState = found->second;
        if (!added) {
            return rootState.bounds;
        }
        stack_.push_back({&root, &rootState});
        while (!stack_.empty()) {
            Frame& frame = stack_.back();
            const auto& lines = frame.compound->Items().List();
            if (frame.next == lines.size()) {
                frame.state->open = false;
                const Bounds done = frame.state->bounds;
                stack_.pop_back();
                if (!stack_.empty()) {
                    stack_.back().AddLine(done);
                }
                continue;
            }
            const TItem& line = *lines[frame.next++];
            const TInsumoCompuesto* sub = line.Kind == kKindCompound && line.Insumo != nullptr
                                              ? std::as_const(*line.Insumo).AsCompuesto()
                                              : nullptr;
            if (sub == nullptr) {
                if (line.Kind == kKindPrimary && line.Insumo != nullptr) {
                    frame.state->bounds.Add(line.Quantity,
                                            {1.0, std::fabs(line.Insumo->Price()), false});
                }
                continue;
            }
            auto [state, first] = known_.try_emplace(sub);
            if (first) {
                stack_.push_back({sub, &state->second});
            } else if (state->second.open) {
                frame.state->bounds.reachesCycle = true; // the break-down cuts this line
            } else {
                frame.AddLine(state->second.bounds);
            }
        }
        return rootState.bounds;
    }

private:
    struct State {
        Bounds bounds;
        bool open = true;
    };
    struct Frame {
        const TInsumoCompuesto* compound;
        State* state;
        std::size_t next = 0;
        // Adds what the line just taken brings from its input.
        void AddLine(const Bounds& input) {
            state->bounds.Add(compound->Items().List()[next - 1]->Quantity, input);
        }
    };
    // Node-based: the states the stack points at stay where they are.
    std::unordered_map<const TInsumoCompuesto*, State> known_;
    std::vector<Frame> stack_;
};

// Whether every figure of the input's exploded list as it stands, and of its bid price when it is
// a budget, is finite: the arithmetic of ComputePrice and of the budget details.
bool FiguresFinite(const TInsumoCompuesto& input) {
    const std::vector<TItem>& exploded = input.Items().Exploded();
    const auto finite = [](double value) { return std::isfinite(value); };
    std::array<double, kCostTypeCount> amounts{};
    const double price = PriceOfExploded(exploded, amounts);
    if (!finite(price) || !std::all_of(amounts.begin(), amounts.end(), finite) ||
        !std::all_of(exploded.begin(), exploded.end(),
                     [](const TItem& entry) { return std::isfinite(entry.Quantity); })) {
        return false;
    }
    if (input.SubKind() != kSubKindBudget) {
        return true;
    }
    const TBidPrice bid = WorkOutBidPrice(input, price);
    const std::array<double, 5> figures = {bid.GeneralCosts, bid.Profit, bid.Vat, bid.OtherCharges,
                                           bid.Price};
    return std::all_of(figures.begin(), figures.end(), finite);
}

} // namespace

std::size_t NonFinitePrices(TInsumos& compounds, TInsumos& budgets) {
    BoundsWalk walk(static_cast<std::size_t>(compounds.Count()) +
                    static_cast<std::size_t>(budgets.Count()));
    std::vector<TInsumoCompuesto*> doubtful;
    for (const TInsumos* collection : {&compounds, &budgets}) {
        for (const auto& input : collection->List()) {
            TInsumoCompuesto* compound = input->AsCompuesto();
            if (compound != nullptr && !walk.Of(*compound).Safe(*compound)) {
                doubtful.push_back(compound);
            }
        }
    }
    // One run breaks each of them down as a start from itself gives, sharing the lists that
    // stand for themselves and spending the bounded work of a tangle once for all of them.
    ExplodeRun shared;
    std::size_t count = 0;
    for (TInsumoCompuesto* compound : doubtful) {
        shared.Explode(compound->Items());
        if (!FiguresFinite(*compound)) {
            ++count;
        }
    }
    return count;
}

bool TInsumoCompuesto::ContainsBudget(const std::string& code) const {
    return Reaches(code, [](const TItem& line) {
        return line.SubKind == kSubKindBudget || line.SubKind == kSubKindDivision;
    });
}

void TInsumoCompuesto::Transfer(TArchive& archive) {
    TransferHead(archive);
    items_.Transfer(archive);
    if (archive.IsStoring()) {
        archive.WriteDouble(generalCostsRate_);
        archive.WriteDouble(profitRate_);
        archive.WriteDouble(vatRate_);
        archive.WriteDouble(otherChargesRate_);
        archive.WriteString(client_);
        archive.WriteString(placement_);
        return;
    }
    generalCostsRate_ = archive.ReadDouble();
    profitRate_ = archive.ReadDouble();
    vatRate_ = archive.ReadDouble();
    otherChargesRate_ = archive.ReadDouble();
    client_ = archive.ReadString();
    placement_ = archive.ReadString();
}

// ---------------------------------------------------------------------------------------------
// TInsumos

TInsumos::~TInsumos() {
    Clear();
}

void TInsumos::Clear() {
    for (auto& input : list_) {
        input->collection_ = nullptr;
    }
    list_.clear();
    index_.Clear();
}

void TInsumos::Append(std::unique_ptr<TInsumo> input) {
    TInsumo* raw = input.get();
    list_.push_back(std::move(input));
    try {
        raw->collection_ = this;
        IndexAdd(raw);
    } catch (...) {
        raw->collection_ = nullptr;
        list_.pop_back();
        throw;
    }
}

TInsumo* TInsumos::Add(std::unique_ptr<TInsumo> input) {
    if (!input) {
        return nullptr;
    }
    TInsumo* raw = input.get();
    try {
        Append(std::move(input));
    } catch (const std::exception& e) {
        ShowMessage(std::string("Error : ") + e.what());
        return nullptr;
    }
    if (counter_ < std::numeric_limits<std::int32_t>::max()) {
        ++counter_;
    }
    return raw;
}

TInsumo* TInsumos::Find(const TKey& key) const {
    if (key.IsCode()) {
        const TCodeIndex::Slot* slot = index_.Find(key.Code());
        return slot == nullptr ? nullptr : slot->first;
    }
    if (key.IsPosition()) {
        const std::int64_t position = key.Position();
        if (position >= 0 && position < static_cast<std::int64_t>(list_.size())) {
            return list_[static_cast<std::size_t>(position)].get();
        }
        ShowMessage(std::string(kNoSuchInputMessage));
    }
    return nullptr;
}

void TInsumos::Delete(const TKey& key) {
    TInsumo* found = Find(key);
    if (found == nullptr) {
        ShowMessage(std::string(kDeleteFailedMessage));
        return;
    }
    found->SetDeleted(1);
    PurgeDeleted();
    ForgetLinksTo(*found);
    if (removalHook_) {
        removalHook_(*found);
    }
    const auto position = static_cast<std::size_t>(PositionOf(found));
    IndexRemove(found, found->Code());
    found->collection_ = nullptr;
    list_.erase(list_.begin() + static_cast<std::ptrdiff_t>(position));
}

void TInsumos::PurgeDeleted() {
    for (auto& input : list_) {
        TInsumoCompuesto* compound = input->AsCompuesto();
        if (input->Kind() != kKindCompound || compound == nullptr) {
            continue;
        }
        TItems& items = compound->Items();
        for (int i = items.Count() - 1; i >= 0; --i) {
            const TInsumo* used = items.Item(i).Insumo;
            if (used != nullptr && used->Deleted() != 0) {
                items.Delete(i);
            }
        }
    }
    // Lines go first everywhere, so no exploded list is rebuilt from a line about to go.
    ExplodeRun run;
    for (auto& input : list_) {
        TInsumoCompuesto* compound = input->AsCompuesto();
        if (input->Kind() == kKindCompound && compound != nullptr) {
            run.Explode(compound->Items());
        }
    }
}

std::string TInsumos::NewCode(std::uint8_t kind, std::uint8_t subKind) const {
    char letter = 'S';
    if (kind != kKindPrimary) {
        switch (subKind) {
        case kSubKindCompound:
            letter = 'C';
            break;
        case kSubKindBudget:
            letter = 'P';
            break;
        case kSubKindDivision:
            letter = 'D';
            break;
        default:
            return {};
        }
    }
    const std::int64_t number = static_cast<std::int64_t>(counter_) + 1;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%c%6lld", letter, static_cast<long long>(number));
    std::string code(buffer);
    std::replace(code.begin(), code.end(), ' ', '0');
    return code;
}

bool TInsumos::HasCodesFor(std::int64_t count) const {
    return count <= std::int64_t{std::numeric_limits<std::int32_t>::max()} - counter_;
}

void TInsumos::RaiseCounterToCodes() {
    std::int64_t highest = counter_;
    for (const auto& input : list_) {
        const std::string& code = input->Code();
        if (code.size() < 2 ||
            !((code[0] >= 'A' && code[0] <= 'Z') || (code[0] >= 'a' && code[0] <= 'z'))) {
            continue;
        }
        std::int64_t number = 0;
        bool digits = true;
        for (std::size_t i = 1; i < code.size() && digits; ++i) {
            digits = code[i] >= '0' && code[i] <= '9';
            number = std::min<std::int64_t>(number * 10 + (code[i] - '0'),
                                            std::numeric_limits<std::int32_t>::max());
        }
        if (digits) {
            highest = std::max(highest, number);
        }
    }
    counter_ = static_cast<std::int32_t>(highest);
}

void TInsumos::ForgetLinksTo(const TInsumo& input) {
    for (auto& entry : list_) {
        const auto* owner = std::get_if<const TInsumo*>(&entry->Owner());
        if (owner != nullptr && *owner == &input) {
            entry->SetOwner({});
        }
        if (TInsumoCompuesto* compound = entry->AsCompuesto()) {
            compound->Items().ForgetLinksTo(input);
        }
    }
}

void TInsumos::Transfer(TArchive& archive) {
    if (archive.IsStoring()) {
        archive.WriteInteger(static_cast<std::int32_t>(list_.size()));
        for (auto& input : list_) {
            // The tag tells the reader which record follows, so it comes from the record itself.
            archive.WriteInteger(input->AsCompuesto() != nullptr ? kKindCompound : kKindPrimary);
            input->Transfer(archive);
        }
        archive.WriteInteger(counter_);
        return;
    }
    const std::int32_t count = archive.ReadCount(kMinEntryBytes);
    list_.reserve(list_.size() + static_cast<std::size_t>(count));
    index_.Reserve(list_.size() + static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        const std::uint8_t tag = LowByte(archive.ReadInteger());
        std::unique_ptr<TInsumo> input;
        if (tag == kKindPrimary) {
            input = std::make_unique<TInsumoSimple>();
        } else if (tag == kKindCompound) {
            input = std::make_unique<TInsumoCompuesto>();
        } else {
            throw EReadError();
        }
        input->Transfer(archive);
        Append(std::move(input));
    }
    counter_ = archive.ReadInteger();
    RaiseCounterToCodes();
}

void TInsumos::IndexAdd(TInsumo* input) {
    ++index_.FindOrAdd(input->Code(), input).count;
}

void TInsumos::IndexRemove(TInsumo* input, const std::string& code) {
    TCodeIndex::Slot* slot = index_.Find(code);
    if (slot == nullptr) {
        return;
    }
    if (--slot->count == 0) {
        index_.Erase(code);
        return;
    }
    if (slot->first != input) {
        return;
    }
    for (auto& entry : list_) {
        if (entry.get() != input && entry->Code() == code) {
            slot->first = entry.get();
            return;
        }
    }
}

void TInsumos::CodeChanging(TInsumo* input, const std::string& oldCode,
                            const std::string& newCode) {
    IndexRemove(input, oldCode);
    TCodeIndex::Slot& slot = index_.FindOrAdd(newCode, input);
    ++slot.count;
    if (slot.first != input && PositionOf(input) < PositionOf(slot.first)) {
        slot.first = input;
    }
}

std::int64_t TInsumos::PositionOf(const TInsumo* input) const {
    for (std::size_t i = 0; i < list_.size(); ++i) {
        if (list_[i].get() == input) {
            return static_cast<std::int64_t>(i);
        }
    }
    return -1;
}

// ---------------------------------------------------------------------------------------------
// Categories, subcategories and units

void TCategoria::Transfer(TArchive& archive) {
    if (archive.IsStoring()) {
        archive.WriteString(Name);
    } else {
        Name = archive.ReadString();
    }
}

void TSubcategoria::Transfer(TArchive& archive) {
    TCategoria::Transfer(archive);
    if (archive.IsStoring()) {
        archive.WriteString(Category);
    } else {
        Category = archive.ReadString();
    }
}

template <class Object> int TNameList<Object>::Add(std::string name) {
    entries_.push_back(Entry{std::move(name), nullptr});
    return Count() - 1;
}

template <class Object>
int TNameList<Object>::AddObject(std::string name, std::unique_ptr<Object> object) {
    entries_.push_back(Entry{std::move(name), std::move(object)});
    return Count() - 1;
}

template <class Object> void TNameList<Object>::Delete(int index) {
    At(index);
    entries_.erase(entries_.begin() + index);
}

template <class Object> int TNameList<Object>::IndexOf(std::string_view name) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (SameTextIgnoringCase(entries_[i].name, name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

template <class Object> int TNameList<Object>::IndexOfObject(const Object* object) const {
    if (object == nullptr) {
        return -1;
    }
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].object.get() == object) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

template <class Object> auto TNameList<Object>::At(int index) -> Entry& {
    if (index < 0 || index >= Count()) {
        throw std::out_of_range(OutOfBoundsMessage(index));
    }
    return entries_[static_cast<std::size_t>(index)];
}

template <class Object> auto TNameList<Object>::At(int index) const -> const Entry& {
    if (index < 0 || index >= Count()) {
        throw std::out_of_range(OutOfBoundsMessage(index));
    }
    return entries_[static_cast<std::size_t>(index)];
}

template class TNameList<TCategoria>;
template class TNameList<TSubcategoria>;
template class TNameList<TNoObject>;

namespace {

template <class List, class Object>
void TransferCategoryList(List& list, TArchive& archive, std::size_t minRecordBytes) {
    if (archive.IsStoring()) {
        archive.WriteInteger(list.Count());
        for (int i = 0; i < list.Count(); ++i) {
            Object* object = list.Objects(i);
            if (object != nullptr) {
                object->Transfer(archive);
            } else {
                Object stand_in;
                stand_in.Name = list.Strings(i);
                stand_in.Transfer(archive);
            }
        }
        return;
    }
    const std::int32_t count = archive.ReadCount(minRecordBytes);
    for (std::int32_t i = 0; i < count; ++i) {
        auto object = std::make_unique<Object>();
        object->Transfer(archive);
        std::string name = object->Name;
        list.AddObject(std::move(name), std::move(object));
    }
}

} // namespace

void TCategorias::Transfer(TArchive& archive) {
    TransferCategoryList<TCategorias, TCategoria>(*this, archive, kMinStringBytes);
}

void TSubCategorias::Transfer(TArchive& archive) {
    TransferCategoryList<TSubCategorias, TSubcategoria>(*this, archive, 2 * kMinStringBytes);
}

bool TSubCategorias::Holds(std::string_view name, std::string_view category) const {
    for (int i = 0; i < Count(); ++i) {
        const TSubcategoria* subcategory = Objects(i);
        if (subcategory != nullptr && subcategory->Name == name &&
            subcategory->Category == category) {
            return true;
        }
    }
    return false;
}

void TUnidades::Transfer(TArchive& archive) {
    if (archive.IsStoring()) {
        archive.WriteInteger(Count());
        for (int i = 0; i < Count(); ++i) {
            archive.WriteString(Strings(i));
        }
        return;
    }
    const std::int32_t count = archive.ReadCount(kMinStringBytes);
    for (std::int32_t i = 0; i < count; ++i) {
        Add(archive.ReadString());
    }
}

} // namespace estimating
