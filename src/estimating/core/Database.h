#pragma once
// The whole estimating database in memory, loaded from and saved to one ".cdb" file.

#include "Componentes.h"
#include "FileManagement2.h"

#include <cstdint>
#include <string>

namespace estimating {

inline constexpr std::string_view kUnknownFormatMessage = "Error : Unknown file format.";
inline constexpr std::string_view kFileReadingError = "File reading error ";
inline constexpr std::string_view kFileWritingError = "File writing error ";

class TDocument {
public:
    // Empty and saved, with the five cost types.
    TDocument();
    virtual ~TDocument();
    TDocument(const TDocument&) = delete;
    TDocument& operator=(const TDocument&) = delete;

    const std::string& FileName() const { return fileName_; }
    // Sets the file name of the document and of its archive.
    void SetFileName(std::string path);

    // Reads the file FileName (on a freshly created document). Failures are shown through the
    // message sink: "Error : Unknown file format." for a wrong signature (nothing read), or
    // "File reading error " CR LF + reason. After a reading failure the document keeps every
    // entry read completely before it, with its links rebuilt. Gives true only when the whole
    // database was read. Does not change Saved.
    bool Load();
    // Writes the file FileName and sets Saved to 1. A failure to build the image is shown
    // ("File writing error " + reason) and gives false; a failure to write the file throws
    // EFCreateError to the caller. Either way the file on disk is left as it was and Saved keeps
    // its value.
    bool Save();
    // The whole file in the archive's direction. Reading: false after a wrong signature (already
    // shown); EReadError and other errors pass to the caller.
    bool Transfer(TArchive& archive);

    // Link fix-ups after reading.
    void ResolveCompoundRefs();
    void ResolveBudgetRefs();
    // Removes from every budget and division the primary and compound lines whose code no longer
    // exists in Primaries or Compounds.
    void PurgeBudgetItems();

    TArchive Archive;
    TInsumosSimples Primaries;
    TInsumosCompuestos Compounds;
    TPresupuestos Budgets;
    TCategorias CostTypes; // the five cost types, never stored
    TSubCategorias PrimarySubcategories;
    TCategorias CompoundCategories;
    TSubCategorias CompoundSubcategories;
    TUnidades Units;
    std::uint8_t Saved = 1; // 1: no unsaved changes

private:
    void ForgetLinksTo(const TInsumo& input);
    void KeepWhatWasRead();
    std::string fileName_;
};

} // namespace estimating
