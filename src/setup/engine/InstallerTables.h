#pragma once
// The three record tables of the package, as the installer keeps them: one separately allocated
// record per list item, freed by the tables.

#include "PointerList.h"
#include "setup_installer.h"

namespace setup {

struct TInstaller::Tables {
    TKestPointerList RegistryEntries;
    TKestPointerList ShortcutEntries;
    TKestPointerList FileEntries;

    Tables() {
        RegistryEntries.SetSweepInterval(0);
        ShortcutEntries.SetSweepInterval(0);
        FileEntries.SetSweepInterval(0);
    }
    ~Tables() {
        DeleteRecords<RegistryEntry>(RegistryEntries);
        DeleteRecords<ShortcutEntry>(ShortcutEntries);
        DeleteRecords<FileEntry>(FileEntries);
    }
    Tables(const Tables&) = delete;
    Tables& operator=(const Tables&) = delete;

private:
    // Walked with the cursor: reaching each item by its index would take quadratic time.
    template <class Record> static void DeleteRecords(TKestPointerList& list) {
        list.First();
        for (std::int32_t i = 1; i <= list.Count(); ++i, list.Next())
            delete static_cast<Record*>(list.Current());
    }
};

} // namespace setup
