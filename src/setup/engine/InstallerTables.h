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
        for (std::int32_t i = 1; i <= RegistryEntries.Count(); ++i)
            delete static_cast<RegistryEntry*>(RegistryEntries.Items(i));
        for (std::int32_t i = 1; i <= ShortcutEntries.Count(); ++i)
            delete static_cast<ShortcutEntry*>(ShortcutEntries.Items(i));
        for (std::int32_t i = 1; i <= FileEntries.Count(); ++i)
            delete static_cast<FileEntry*>(FileEntries.Items(i));
    }
    Tables(const Tables&) = delete;
    Tables& operator=(const Tables&) = delete;
};

} // namespace setup
