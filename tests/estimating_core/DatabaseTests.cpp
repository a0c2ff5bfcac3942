#include "CoreTestSupport.h"
#include "Database.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace estimating {
namespace {

using testing::MessageRecorder;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

const std::string kStreamReadError = "File reading error \r\nStream read error";

// Builds file images field by field.
class Image {
public:
    Image& Int(std::int32_t v) {
        char b[4];
        std::memcpy(b, &v, 4);
        bytes.append(b, 4);
        return *this;
    }
    Image& Dbl(double v) {
        char b[8];
        std::memcpy(b, &v, 8);
        bytes.append(b, 8);
        return *this;
    }
    Image& Str(const std::string& s) {
        Int(static_cast<std::int32_t>(s.size()));
        bytes += s;
        return *this;
    }
    Image& Signature() {
        bytes += "\x1B\xA2\x0D";
        return *this;
    }
    Image& EmptyLists() { return Int(0).Int(0).Int(0).Int(0); }
    Image& Head(const std::string& code, int kind, int subKind, double price = 0.0) {
        return Str(code)
            .Int(kind)
            .Int(subKind)
            .Str("name " + code)
            .Str("u")
            .Str("desc")
            .Dbl(price)
            .Str("Materials")
            .Str("");
    }
    Image& CompoundTail() { return Dbl(0).Dbl(0).Dbl(0).Dbl(0).Str("").Str(""); }
    std::string bytes;
};

TInsumo* AddPrimary(TDocument& doc, const std::string& name, double price,
                    const std::string& category) {
    auto p = std::make_unique<TInsumoSimple>();
    p->SetKind(kKindPrimary);
    p->SetCode(doc.Primaries.NewCode(kKindPrimary, kSubKindNone));
    p->SetName(name);
    p->SetDescription("description of " + name);
    p->SetUnit("m2");
    p->SetPrice(price);
    p->SetCategory(category);
    p->SetSubcategory("General");
    return doc.Primaries.Add(std::move(p));
}

TInsumoCompuesto* AddCompoundType(TInsumos& collection, std::uint8_t subKind,
                                  const std::string& name) {
    auto c = std::make_unique<TPresupuesto>();
    c->SetKind(kKindCompound);
    c->SetSubKind(subKind);
    c->SetCode(collection.NewCode(kKindCompound, subKind));
    c->SetName(name);
    return collection.Add(std::move(c))->AsCompuesto();
}

void Use(TInsumoCompuesto& holder, TInsumo& used, double quantity) {
    TItem line;
    line.Kind = used.Kind();
    line.SubKind = used.SubKind();
    line.Code = used.Code();
    line.Name = used.Name();
    line.Insumo = &used;
    line.Quantity = quantity;
    holder.Items().Add(line);
}

// A database with something of everything, accented names included.
void FillSample(TDocument& doc) {
    doc.Units.Add("m2");
    doc.Units.Add("Área €");
    doc.PrimarySubcategories.AddObject("Cement",
                                       std::make_unique<TSubcategoria>("Cement", "Materials"));
    doc.CompoundCategories.AddObject("Walls", std::make_unique<TCategoria>("Walls"));
    doc.CompoundSubcategories.AddObject("Brick", std::make_unique<TSubcategoria>("Brick", "Walls"));
    TInsumo* cement = AddPrimary(doc, "Cement ñ", 12.25, "Materials");
    TInsumo* mason = AddPrimary(doc, "Mason", 0.1, "Labor");
    TInsumoCompuesto* mortar = AddCompoundType(doc.Compounds, kSubKindCompound, "Mortar");
    Use(*mortar, *cement, 0.3);
    Use(*mortar, *mason, 1.0 / 3.0);
    TInsumoCompuesto* wall = AddCompoundType(doc.Compounds, kSubKindCompound, "Wall");
    Use(*wall, *mortar, 2.5);
    Use(*wall, *cement, 1e-7);
    wall->SetCategory("Walls");
    doc.Compounds.SetCounter(41);
    TInsumoCompuesto* budget = AddCompoundType(doc.Budgets, kSubKindBudget, "House");
    budget->SetClient("Ana");
    budget->SetPlacement("Lima");
    budget->SetGeneralCostsRate(0.15);
    budget->SetProfitRate(0.1);
    budget->SetVatRate(0.18);
    budget->SetOtherChargesRate(0.02);
    TInsumoCompuesto* division = AddCompoundType(doc.Budgets, kSubKindDivision, "Ground floor");
    Use(*budget, *division, 1.0);
    Use(*division, *wall, 120.0);
    Use(*budget, *mason, 8);
}

void ExpectSameInput(const TInsumo& a, const TInsumo& b) {
    EXPECT_EQ(a.Kind(), b.Kind());
    EXPECT_EQ(a.SubKind(), b.SubKind());
    EXPECT_EQ(a.Code(), b.Code());
    EXPECT_EQ(a.Name(), b.Name());
    EXPECT_EQ(a.Description(), b.Description());
    EXPECT_EQ(a.Unit(), b.Unit());
    EXPECT_EQ(a.Price(), b.Price());
    EXPECT_EQ(a.Category(), b.Category());
    EXPECT_EQ(a.Subcategory(), b.Subcategory());
    const TInsumoCompuesto* ca = a.AsCompuesto();
    const TInsumoCompuesto* cb = b.AsCompuesto();
    ASSERT_EQ(ca == nullptr, cb == nullptr);
    if (ca == nullptr) {
        return;
    }
    EXPECT_EQ(ca->GeneralCostsRate(), cb->GeneralCostsRate());
    EXPECT_EQ(ca->ProfitRate(), cb->ProfitRate());
    EXPECT_EQ(ca->VatRate(), cb->VatRate());
    EXPECT_EQ(ca->OtherChargesRate(), cb->OtherChargesRate());
    EXPECT_EQ(ca->Client(), cb->Client());
    EXPECT_EQ(ca->Placement(), cb->Placement());
    ASSERT_EQ(ca->Items().Count(), cb->Items().Count());
    for (int i = 0; i < ca->Items().Count(); ++i) {
        const TItem& la = ca->Items().Item(i);
        const TItem& lb = cb->Items().Item(i);
        EXPECT_EQ(la.Kind, lb.Kind);
        EXPECT_EQ(la.SubKind, lb.SubKind);
        EXPECT_EQ(la.Code, lb.Code);
        EXPECT_EQ(la.ParentCode, lb.ParentCode);
        EXPECT_EQ(la.Name, lb.Name);
        EXPECT_EQ(la.Quantity, lb.Quantity);
    }
}

void ExpectSameCollection(const TInsumos& a, const TInsumos& b) {
    EXPECT_EQ(a.Counter(), b.Counter());
    ASSERT_EQ(a.Count(), b.Count());
    for (int i = 0; i < a.Count(); ++i) {
        ExpectSameInput(a.Insumo(i), b.Insumo(i));
    }
}

class EstCoreFile : public ::testing::Test {
protected:
    std::string Saved(TDocument& doc, const std::string& name = "db.cdb") {
        doc.SetFileName(folder.File(name));
        EXPECT_TRUE(doc.Save());
        return ReadBytes(doc.FileName());
    }
    // Loads an image into a fresh document; gives Load's answer.
    bool LoadImage(TDocument& doc, const std::string& bytes) {
        const std::string path = folder.File("in.cdb");
        WriteBytes(path, bytes);
        doc.SetFileName(path);
        return doc.Load();
    }
    ScratchFolder folder;
};

TEST_F(EstCoreFile, EmptyDatabaseIsFortyThreeBytes) {
    TDocument doc;
    const std::string bytes = Saved(doc);
    EXPECT_EQ(bytes, std::string("\x1B\xA2\x0D") + std::string(40, '\0'));
    EXPECT_EQ(doc.Saved, 1);
}

TEST_F(EstCoreFile, RoundTripKeepsEverythingAndRewritesTheSameBytes) {
    TDocument original;
    FillSample(original);
    original.Saved = 0;
    const std::string bytes = Saved(original);
    EXPECT_EQ(original.Saved, 1);

    TDocument loaded;
    MessageRecorder messages;
    ASSERT_TRUE(LoadImage(loaded, bytes));
    EXPECT_TRUE(messages.messages.empty());
    ASSERT_EQ(loaded.Units.Count(), 2);
    EXPECT_EQ(loaded.Units.Strings(1), "Área €");
    EXPECT_EQ(loaded.PrimarySubcategories.Objects(0)->Category, "Materials");
    EXPECT_EQ(loaded.CompoundCategories.Strings(0), "Walls");
    EXPECT_EQ(loaded.CompoundSubcategories.Objects(0)->Category, "Walls");
    ExpectSameCollection(original.Primaries, loaded.Primaries);
    ExpectSameCollection(original.Compounds, loaded.Compounds);
    ExpectSameCollection(original.Budgets, loaded.Budgets);
    EXPECT_EQ(loaded.Compounds.NewCode(kKindCompound, kSubKindCompound), "C000042");

    auto* house = loaded.Budgets.Find("P000001")->AsCompuesto();
    auto* originalHouse = original.Budgets.Find("P000001")->AsCompuesto();
    EXPECT_EQ(house->ComputePrice(), originalHouse->ComputePrice());
    EXPECT_EQ(house->CostAmounts(), originalHouse->CostAmounts());

    TDocument again;
    again.SetFileName(folder.File("again.cdb"));
    WriteBytes(again.FileName(), bytes);
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(Saved(again, "again.cdb"), bytes);
}

TEST_F(EstCoreFile, LinksAreRebuiltByCode) {
    TDocument original;
    FillSample(original);
    TDocument doc;
    ASSERT_TRUE(LoadImage(doc, Saved(original)));
    auto* wall = doc.Compounds.Find("C000002")->AsCompuesto();
    EXPECT_EQ(wall->Items().Item(0).Insumo, doc.Compounds.Find("C000001"));
    EXPECT_EQ(wall->Items().Item(1).Insumo, doc.Primaries.Find("S000001"));
    EXPECT_EQ(wall->Items().Item(0).Parent, nullptr); // compounds get no parent back
    TInsumo* house = doc.Budgets.Find("P000001");
    EXPECT_EQ(house->SubKind(), kSubKindBudget);
    EXPECT_NE(house->AsCompuesto(), nullptr);
    const TItem& divisionLine = house->AsCompuesto()->Items().Item(0);
    EXPECT_EQ(divisionLine.Insumo, doc.Budgets.Find("D000002"));
    EXPECT_EQ(divisionLine.Parent, house);
    const TItem& masonLine = house->AsCompuesto()->Items().Item(1);
    EXPECT_EQ(masonLine.Insumo, doc.Primaries.Find("S000002"));
    EXPECT_EQ(masonLine.Parent, nullptr);
    auto* division = doc.Budgets.Find("D000002")->AsCompuesto();
    EXPECT_EQ(division->Items().Item(0).Insumo, wall);
}

TEST_F(EstCoreFile, PrimaryLinesHaveNoSubkindField) {
    Image image;
    image.Signature().EmptyLists().Int(0).Int(0); // no primaries
    image.Int(1).Int(1).Head("C000001", 1, 1);
    image.Int(2);
    image.Int(0).Str("p").Str("S000001").Str("C000001").Dbl(2.0);        // kind 0
    image.Int(1).Int(1).Str("c").Str("C000009").Str("C000001").Dbl(3.0); // kind 1
    image.CompoundTail().Int(1);
    image.Int(0).Int(0);
    TDocument doc;
    MessageRecorder messages;
    ASSERT_TRUE(LoadImage(doc, image.bytes));
    auto* c = doc.Compounds.Find("C000001")->AsCompuesto();
    ASSERT_EQ(c->Items().Count(), 2);
    EXPECT_EQ(c->Items().Item(0).Code, "S000001");
    EXPECT_EQ(c->Items().Item(0).Insumo, nullptr); // missing primary: empty link
    EXPECT_EQ(c->Items().Item(1).SubKind, 1);
    EXPECT_EQ(c->Items().Item(1).Quantity, 3.0);
    EXPECT_EQ(c->ComputePrice(), 0.0);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(EstCoreFile, WrongSignatureReadsNothingMore) {
    TDocument doc;
    MessageRecorder messages;
    Image image;
    image.bytes = "\x1B\xA2\x0E";
    image.Int(1).Str("m2");
    EXPECT_FALSE(LoadImage(doc, image.bytes));
    EXPECT_EQ(messages.messages, std::vector<std::string>{"Error : Unknown file format."});
    EXPECT_EQ(doc.Units.Count(), 0);
}

TEST_F(EstCoreFile, EmptyOrShortFileIsAReadingError) {
    for (const std::string& bytes : {std::string(), std::string("\x1B\xA2")}) {
        TDocument doc;
        MessageRecorder messages;
        EXPECT_FALSE(LoadImage(doc, bytes));
        EXPECT_EQ(messages.messages, std::vector<std::string>{kStreamReadError});
    }
}

TEST_F(EstCoreFile, MissingFileIsAReadingErrorNamingIt) {
    TDocument doc;
    doc.SetFileName(folder.File("nothing.cdb"));
    MessageRecorder messages;
    EXPECT_FALSE(doc.Load());
    ASSERT_EQ(messages.messages.size(), 1U);
    EXPECT_EQ(messages.messages[0], "File reading error \r\nCannot open file \"" +
                                        folder.File("nothing.cdb") +
                                        "\". No such file or directory");
}

TEST_F(EstCoreFile, OnlyRegularFilesAreRead) {
    const std::string pipe = folder.File("pipe.cdb");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {pipe, "Not a regular file"}, {folder.Path().string(), "Is a directory"}};
    for (const auto& [path, reason] : cases) {
        TDocument doc;
        doc.SetFileName(path);
        MessageRecorder messages;
        EXPECT_FALSE(doc.Load());
        EXPECT_EQ(messages.messages,
                  std::vector<std::string>{"File reading error \r\nCannot open file \"" + path +
                                           "\". " + reason});
    }
}

TEST_F(EstCoreFile, SaveThroughASymbolicLinkReplacesTheFileItNames) {
    const std::string real = folder.File("real.cdb");
    const std::string link = folder.File("link.cdb");
    WriteBytes(real, "old");
    std::filesystem::create_symlink(real, link);
    TDocument doc;
    doc.SetFileName(link);
    ASSERT_TRUE(doc.Save());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(real).size(), 43U);
}

TEST_F(EstCoreFile, BytesAfterTheBudgetsAreIgnored) {
    TDocument original;
    FillSample(original);
    TDocument doc;
    EXPECT_TRUE(LoadImage(doc, Saved(original) + "trailing garbage"));
    EXPECT_EQ(doc.Budgets.Count(), 2);
}

TEST_F(EstCoreFile, CountersBelowTheCodesInUseAreRaised) {
    Image image;
    image.Signature().EmptyLists();
    image.Int(1).Int(0).Head("S000007", 0, 0).Int(2); // counter 2, code 7
    image.Int(0).Int(0).Int(0).Int(0);
    TDocument doc;
    ASSERT_TRUE(LoadImage(doc, image.bytes));
    EXPECT_EQ(doc.Primaries.Counter(), 7);
    EXPECT_EQ(doc.Primaries.NewCode(kKindPrimary, kSubKindNone), "S000008");
}

TEST_F(EstCoreFile, DamagedCountsTagsAndLengthsAreReadingErrors) {
    const std::vector<Image> damaged = [] {
        std::vector<Image> v;
        v.emplace_back().Signature().Int(0x7FFFFFFF);        // huge unit count
        v.emplace_back().Signature().Int(-1);                // negative count
        v.emplace_back().Signature().Int(1).Int(0x7FFFFFF0); // huge string
        v.emplace_back().Signature().Int(1).Int(-5);         // negative length
        v.emplace_back().Signature().EmptyLists().Int(1).Int(2).Head("S1", 0, 0).Int(0); // tag 2
        v.emplace_back()
            .Signature()
            .EmptyLists()
            .Int(0)
            .Int(0)
            .Int(1)
            .Int(1)
            .Head("C1", 1, 1)
            .Int(100000000); // huge line count
        return v;
    }();
    for (const Image& image : damaged) {
        TDocument doc;
        MessageRecorder messages;
        EXPECT_FALSE(LoadImage(doc, image.bytes + std::string(64, '\0')));
        EXPECT_EQ(messages.messages, std::vector<std::string>{kStreamReadError});
    }
}

TEST_F(EstCoreFile, AfterAReadingErrorWhatWasReadCompletelyIsKeptAndLinked) {
    TDocument original;
    FillSample(original);
    const std::string bytes = Saved(original);
    // Cut inside the budgets: the primaries and compounds are whole, the house is not.
    const std::size_t cut = bytes.rfind("House") + 2;
    TDocument doc;
    MessageRecorder messages;
    EXPECT_FALSE(LoadImage(doc, bytes.substr(0, cut)));
    EXPECT_EQ(messages.messages, std::vector<std::string>{kStreamReadError});
    EXPECT_EQ(doc.Units.Count(), 2);
    EXPECT_EQ(doc.Primaries.Count(), 2);
    EXPECT_EQ(doc.Compounds.Count(), 2);
    EXPECT_EQ(doc.Budgets.Count(), 0);
    EXPECT_EQ(doc.Compounds.Counter(), 41);
    auto* wall = doc.Compounds.Find("C000002")->AsCompuesto();
    EXPECT_EQ(wall->Items().Item(0).Insumo, doc.Compounds.Find("C000001"));
    EXPECT_GT(wall->ComputePrice(), 0.0);
    // The budgets' counter was never read: it is raised to the codes in use (none).
    EXPECT_EQ(doc.Budgets.NewCode(kKindCompound, kSubKindBudget), "P000001");
}

TEST_F(EstCoreFile, EveryTruncationOfASmallFileFailsCleanly) {
    TDocument original;
    FillSample(original);
    const std::string bytes = Saved(original);
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        TArchive archive;
        archive.OpenImage(bytes.substr(0, length));
        TDocument doc;
        MessageRecorder messages;
        EXPECT_THROW(doc.Transfer(archive), EReadError) << length;
    }
}

TEST_F(EstCoreFile, CyclesInAFileDoNotHang) {
    Image image;
    image.Signature().EmptyLists();
    image.Int(1).Int(0).Head("S000001", 0, 0, 2.0).Int(1);
    image.Int(2);
    image.Int(1).Head("C000001", 1, 1).Int(2);
    image.Int(0).Str("p").Str("S000001").Str("C000001").Dbl(1.0);
    image.Int(1).Int(1).Str("b").Str("C000002").Str("C000001").Dbl(2.0);
    image.CompoundTail();
    image.Int(1).Head("C000002", 1, 1).Int(1);
    image.Int(1).Int(1).Str("a").Str("C000001").Str("C000002").Dbl(3.0);
    image.CompoundTail();
    image.Int(2);
    image.Int(1).Int(1).Head("P000001", 1, 2).Int(1);
    image.Int(1).Int(2).Str("self").Str("P000001").Str("P000001").Dbl(1.0);
    image.CompoundTail();
    image.Int(1);
    TDocument doc;
    ASSERT_TRUE(LoadImage(doc, image.bytes));
    auto* a = doc.Compounds.Find("C000001")->AsCompuesto();
    EXPECT_EQ(a->ComputePrice(), 2.0);
    EXPECT_FALSE(a->UsesCode("C000009"));
    auto* budget = doc.Budgets.Find("P000001")->AsCompuesto();
    EXPECT_FALSE(budget->ContainsBudget("P000009"));
    EXPECT_EQ(budget->ComputePrice(), 0.0);
    doc.Compounds.PurgeDeleted();
}

TEST_F(EstCoreFile, EntriesOfTheWrongClassForTheirKindAreTolerated) {
    Image image;
    image.Signature().EmptyLists();
    // A compound record among the primaries, a primary record among the compounds.
    image.Int(1).Int(1).Head("S000001", 0, 0, 5.0).Int(0).CompoundTail().Int(1);
    image.Int(1).Int(0).Head("C000001", 1, 1).Int(1);
    image.Int(1).Int(1).Head("P000001", 1, 2).Int(2);
    image.Int(0).Str("p").Str("S000001").Str("P000001").Dbl(1.0);
    image.Int(1).Int(1).Str("c").Str("C000001").Str("P000001").Dbl(1.0);
    image.CompoundTail();
    image.Int(1);
    TDocument doc;
    ASSERT_TRUE(LoadImage(doc, image.bytes));
    auto* budget = doc.Budgets.Find("P000001")->AsCompuesto();
    EXPECT_EQ(budget->ComputePrice(), 5.0);
    EXPECT_FALSE(budget->UsesCode("X"));
    doc.Compounds.PurgeDeleted();
    // Written back, each record keeps the tag that announces it.
    const std::string bytes = Saved(doc);
    TDocument again;
    EXPECT_TRUE(LoadImage(again, bytes));
    EXPECT_NE(again.Primaries.Find("S000001")->AsCompuesto(), nullptr);
    EXPECT_EQ(again.Compounds.Find("C000001")->AsCompuesto(), nullptr);
}

TEST_F(EstCoreFile, UndefinedCodePageBytesSurviveLoadAndSave) {
    Image image;
    image.Signature().Int(1).Str("\x81\x8D\x8F\x90\x9D\xC1\x80").Int(0).Int(0).Int(0);
    image.Int(0).Int(0).Int(0).Int(0).Int(0).Int(0);
    TDocument doc;
    ASSERT_TRUE(LoadImage(doc, image.bytes));
    EXPECT_EQ(doc.Units.Strings(0).substr(10), "Á€");
    EXPECT_EQ(Saved(doc), image.bytes);
}

TEST_F(EstCoreFile, SaveRefusesTargetsItMustNotReplaceAndLeavesThemAsTheyWere) {
    namespace fs = std::filesystem;
    const std::string folderTarget = folder.File("busy.cdb");
    fs::create_directory(folderTarget);
    const std::string pipe = folder.File("pipe.cdb");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // A device of its own (where the user may make one), never a system one that a faulty save
    // would replace.
    const std::string device = folder.File("device.cdb");
    const bool withDevice = ::mknod(device.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    // Read-only for everyone: refused even when the tests run with a privileged user.
    const std::string readOnly = folder.File("readonly.cdb");
    WriteBytes(readOnly, "old");
    fs::permissions(readOnly,
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    std::vector<std::pair<std::string, std::string>> cases = {{folderTarget, "Is a directory"},
                                                              {pipe, "Not a regular file"},
                                                              {readOnly, "Permission denied"}};
    if (withDevice) {
        cases.emplace_back(device, "Not a regular file");
    }
    for (const auto& [target, reason] : cases) {
        TDocument doc;
        FillSample(doc);
        doc.SetFileName(target);
        doc.Saved = 0;
        try {
            doc.Save();
            ADD_FAILURE() << "no error for " << target;
        } catch (const EFCreateError& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + target + "\". " + reason);
        }
        EXPECT_EQ(doc.Saved, 0);
    }
    EXPECT_TRUE(fs::is_directory(folderTarget));
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_EQ(fs::is_character_file(device), withDevice);
    EXPECT_EQ(ReadBytes(readOnly), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()),
              withDevice ? 4 : 3);
}

TEST_F(EstCoreFile, ANameAsLongAsTheFileSystemAllowsCanBeSavedAndSavedAgain) {
    TDocument doc;
    FillSample(doc);
    const std::string name = std::string(255 - 4, 'n') + ".cdb";
    const std::string first = Saved(doc, name);
    EXPECT_EQ(Saved(doc, name), first);
    TDocument loaded;
    loaded.SetFileName(folder.File(name));
    EXPECT_TRUE(loaded.Load());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(EstCoreFile, SaveIntoAMissingFolderNamesTheFileAndReason) {
    TDocument doc;
    doc.SetFileName(folder.File("no/such/db.cdb"));
    try {
        doc.Save();
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + folder.File("no/such/db.cdb") +
                                             "\". No such file or directory");
    }
}

TEST_F(EstCoreFile, SaveOverAnExistingFileKeepsItsPermissions) {
    const std::string path = folder.File("db.cdb");
    WriteBytes(path, "old");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
    TDocument doc;
    doc.SetFileName(path);
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(ReadBytes(path).size(), 43U);
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::owner_write |
                                                               std::filesystem::perms::group_read);
}

TEST_F(EstCoreFile, LoadAndSaveShowTheBusyCursor) {
    std::vector<bool> calls;
    const BusyCursorSink previous =
        SetBusyCursorSink([&calls](bool busy) { calls.push_back(busy); });
    TDocument doc;
    const std::string bytes = Saved(doc);
    TDocument loaded;
    LoadImage(loaded, bytes);
    SetBusyCursorSink(previous);
    EXPECT_EQ(calls, (std::vector<bool>{true, false, true, false}));
}

} // namespace
} // namespace estimating
