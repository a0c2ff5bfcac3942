#include "PackageWriter.h"

#include "lzh.h"

#include <fstream>
#include <stdexcept>

namespace package_writer {

namespace {

void PutByte(std::string& out, std::uint8_t v) {
    out.push_back(static_cast<char>(v));
}

void PutWord(std::string& out, std::uint16_t v) {
    PutByte(out, static_cast<std::uint8_t>(v & 0xFF));
    PutByte(out, static_cast<std::uint8_t>(v >> 8));
}

void PutInt(std::string& out, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        PutByte(out, static_cast<std::uint8_t>((v >> shift) & 0xFF));
}

void PutZeros(std::string& out, std::size_t n) {
    out.append(n, '\0');
}

void PokeInt(std::string& out, std::size_t offset, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[offset + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void PokeWord(std::string& out, std::size_t offset, std::uint16_t v) {
    out[offset] = static_cast<char>(v & 0xFF);
    out[offset + 1] = static_cast<char>(v >> 8);
}

std::string HeaderBytes(const Header& h, std::int32_t leadingSize, std::int32_t uninstallerSize) {
    std::string out;
    out += PackageString(h.AppName);
    out += PackageString(h.Version);
    out += PackageString(h.Company);
    out += PackageString(h.Website);
    for (std::uint8_t b :
         {h.AnnounceStyle, h.RecommendRestart, h.AllowWin95, h.AllowWin98, h.AllowWinME, h.AllowNT4,
          h.AllowWin2000, h.AllowWinXP, h.AllowWin2003, h.AllowAnyWindows, h.OfferDesktopShortcuts,
          h.OfferStartMenuShortcuts, h.OfferQuickLaunchShortcuts})
        PutByte(out, b);
    out += PackageString(h.DefaultDestination);
    PutByte(out, h.ReservedByte);
    PutByte(out, h.HasLicense);
    PutByte(out, h.FilesCompressed);
    PutInt(out, h.LeadingBlockSize.value_or(leadingSize));
    PutInt(out, h.UninstallerSize.value_or(uninstallerSize));
    PutByte(out, h.Unattended);
    PutZeros(out, 3);
    return out;
}

std::string RegistryBytes(const RegistryValue& r) {
    std::string out;
    PutInt(out, r.RootKey);
    out += PackageString(r.KeyPath);
    out += PackageString(r.ValueName);
    out += PackageString(r.ValueData);
    PutByte(out, r.ValueType);
    PutZeros(out, 3);
    return out;
}

std::string ShortcutBytes(const Shortcut& s) {
    std::string out;
    out += PackageString(s.ShortcutFolder);
    out += PackageString(s.TargetFile);
    out += PackageString(s.ShortcutName);
    out += PackageString(s.Arguments);
    PutByte(out, s.HasIcon);
    out += PackageString(s.IconFile);
    PutZeros(out, 1);
    PutWord(out, s.IconIndex);
    return out;
}

std::string FileBytes(const File& f, std::int32_t offset, std::int32_t stored) {
    std::string out;
    out += PackageString(f.TargetPath);
    out += PackageString(f.ComponentName);
    PutInt(out, f.DataOffset.value_or(offset));
    PutInt(out, f.StoredSize.value_or(stored));
    PutInt(out, f.InstalledSize.value_or(static_cast<std::int32_t>(f.Content.size())));
    return out;
}

void PutStringTable8(std::string& out, const std::vector<std::string>& table) {
    PutByte(out, static_cast<std::uint8_t>(table.size()));
    for (const auto& s : table)
        out += PackageString(s);
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace

std::string Pack(const std::string& content) {
    const auto packed = setup::LzhCompress(
        std::span(reinterpret_cast<const std::uint8_t*>(content.data()), content.size()));
    return std::string(packed.begin(), packed.end());
}

Package Sample() {
    Package p;
    Header& h = p.header;
    h.AppName = "Sample Estimator";
    h.Version = "2.1";
    h.Company = "Sample Software";
    h.Website = "http://www.example.com/estimator";
    h.AnnounceStyle = 3;
    h.AllowAnyWindows = 1;
    h.OfferStartMenuShortcuts = 1;
    h.OfferDesktopShortcuts = 1;
    h.OfferQuickLaunchShortcuts = 1;
    h.DefaultDestination = "<ProgramFiles>\\<AppName>";
    h.HasLicense = 1;
    h.FilesCompressed = 1;
    p.componentNames = {"Program Files", "Documentation", "Example Databases"};
    const std::string root = "<InstallRoot>\\";
    p.files = {
        {root + "Estimator.exe", "Program Files", VersionedExecutable(2, 1, 0, 17), {}, {}, {}},
        {root + "Readme.txt",
         "Program Files",
         "Sample Estimator 2.1\r\n\r\nStart Estimator.exe from the Start menu.\r\n",
         {},
         {},
         {}},
        {root + "Docs\\Manual.txt",
         "Documentation",
         std::string(20000, ' ') + "The manual of Sample Estimator.\r\n",
         {},
         {},
         {}},
        {root + "Databases\\Example.cdb",
         "Example Databases",
         std::string("\x1B\xA2\x0D", 3) + std::string(4096, '\0'),
         {},
         {},
         {}},
    };
    p.registryEntries = {
        {Root1, "Software\\<Company>\\<AppName>", "InstallRoot", "<InstallRoot>", 4},
        {Root1, "Software\\<Company>\\<AppName>", "Version", "21", 3},
        {Root1, "Software\\<Company>\\<AppName>", "FirstRun", "1", 1},
    };
    p.shortcutEntries = {
        {"<Programs>\\<AppName>", root + "Estimator.exe", "<AppName>", "", 1,
         root + "Estimator.exe", 0},
        {"<Programs>\\<AppName>", root + "Readme.txt", "Read Me", "", 0, "", 0},
        {"<Desktop>", root + "Estimator.exe", "<AppName>", "", 0, "", 0},
        {"<QuickLaunch>", root + "Estimator.exe", "<AppName>", "", 0, "", 0},
    };
    p.uninstallCommands = {};
    p.uninstaller = VersionedExecutable(2, 0, 0, 1);
    p.license = "{\\rtf1\\ansi Sample Estimator licence agreement.\\par\r\n"
                "You may install and use this program on any number of computers.\\par\r\n}\r\n";
    return p;
}

std::string PackageString(const std::string& text) {
    std::string out(256, '\0');
    const std::size_t n = std::min<std::size_t>(text.size(), 255);
    out[0] = static_cast<char>(n);
    text.copy(out.data() + 1, n);
    return out;
}

Bytes Build(const Package& p) {
    Bytes b;
    b.dataPak = p.leadingBlock + p.uninstaller;
    std::string fileTable;
    for (const File& f : p.files) {
        const std::string body = p.header.FilesCompressed == 1 ? Pack(f.Content) : f.Content;
        const auto offset = static_cast<std::int32_t>(b.dataPak.size() + 1);
        b.dataPak += body;
        fileTable += FileBytes(f, offset, static_cast<std::int32_t>(body.size()));
    }

    std::string& d = b.setupDat;
    d = HeaderBytes(p.header, static_cast<std::int32_t>(p.leadingBlock.size()),
                    static_cast<std::int32_t>(p.uninstaller.size()));
    PutStringTable8(d, p.componentNames);
    PutWord(d, static_cast<std::uint16_t>(p.registryEntries.size()));
    for (const auto& r : p.registryEntries)
        d += RegistryBytes(r);
    PutByte(d, static_cast<std::uint8_t>(p.shortcutEntries.size()));
    for (const auto& s : p.shortcutEntries)
        d += ShortcutBytes(s);
    PutWord(d, static_cast<std::uint16_t>(p.dllPaths.size()));
    for (const auto& s : p.dllPaths)
        d += PackageString(s);
    PutStringTable8(d, p.runAfterCommands);
    PutStringTable8(d, p.uninstallCommands);
    PutInt(d, static_cast<std::int32_t>(p.files.size()));
    d += fileTable;
    return b;
}

void Write(const std::filesystem::path& folder, const Package& package) {
    std::filesystem::create_directories(folder);
    const Bytes b = Build(package);
    WriteFile(folder / "setup.dat", b.setupDat);
    WriteFile(folder / "data.pak", b.dataPak);
    if (package.license)
        WriteFile(folder / "license.rtf", *package.license);
}

std::string VersionedExecutable(std::uint16_t major, std::uint16_t minor, std::uint16_t release,
                                std::uint16_t build) {
    constexpr std::uint32_t PeOffset = 0x40;
    constexpr std::uint32_t SectionRva = 0x1000;
    constexpr std::uint32_t SectionFileOffset = 0x200;
    std::string pe(0x400, '\0');
    pe[0] = 'M';
    pe[1] = 'Z';
    PokeInt(pe, 0x3C, PeOffset);
    pe.replace(PeOffset, 4, std::string("PE\0\0", 4));
    const std::uint32_t coff = PeOffset + 4;
    PokeWord(pe, coff + 0, 0x14C); // i386
    PokeWord(pe, coff + 2, 1);     // one section
    PokeWord(pe, coff + 16, 224);  // optional header size
    PokeWord(pe, coff + 18, 0x0102);
    const std::uint32_t opt = coff + 20;
    PokeWord(pe, opt + 0, 0x10B);
    PokeInt(pe, opt + 28, 0x400000);           // image base
    PokeInt(pe, opt + 32, 0x1000);             // section alignment
    PokeInt(pe, opt + 36, 0x200);              // file alignment
    PokeWord(pe, opt + 40, 4);                 // OS version
    PokeWord(pe, opt + 48, 4);                 // subsystem version
    PokeInt(pe, opt + 56, 0x2000);             // image size
    PokeInt(pe, opt + 60, SectionFileOffset);  // headers size
    PokeWord(pe, opt + 68, 2);                 // GUI subsystem
    PokeInt(pe, opt + 92, 16);                 // data directories
    PokeInt(pe, opt + 96 + 2 * 8, SectionRva); // resource directory
    PokeInt(pe, opt + 96 + 2 * 8 + 4, 180);
    const std::uint32_t sec = opt + 224;
    pe.replace(sec, 6, std::string(".rsrc\0", 6));
    PokeInt(pe, sec + 8, 180); // virtual size
    PokeInt(pe, sec + 12, SectionRva);
    PokeInt(pe, sec + 16, 0x200); // raw size
    PokeInt(pe, sec + 20, SectionFileOffset);
    PokeInt(pe, sec + 36, 0x40000040);

    // Resource tree: type 16 (version) -> name 1 -> language 0x409 -> data.
    const std::uint32_t r = SectionFileOffset;
    PokeWord(pe, r + 14, 1);
    PokeInt(pe, r + 16, 16);
    PokeInt(pe, r + 20, 0x80000000u | 24);
    PokeWord(pe, r + 24 + 14, 1);
    PokeInt(pe, r + 24 + 16, 1);
    PokeInt(pe, r + 24 + 20, 0x80000000u | 48);
    PokeWord(pe, r + 48 + 14, 1);
    PokeInt(pe, r + 48 + 16, 0x409);
    PokeInt(pe, r + 48 + 20, 72);
    PokeInt(pe, r + 72, SectionRva + 88);
    PokeInt(pe, r + 76, 92);
    PokeInt(pe, r + 80, 1252);

    // VS_VERSIONINFO with its fixed file information and no children.
    const std::uint32_t v = r + 88;
    PokeWord(pe, v + 0, 92);
    PokeWord(pe, v + 2, 52);
    PokeWord(pe, v + 4, 0);
    const char key[] = "VS_VERSION_INFO";
    for (std::uint32_t i = 0; i < sizeof key - 1; ++i)
        PokeWord(pe, v + 6 + 2 * i, static_cast<std::uint8_t>(key[i]));
    const std::uint32_t fixed = v + 40;
    PokeInt(pe, fixed + 0, 0xFEEF04BD);
    PokeInt(pe, fixed + 4, 0x00010000);
    PokeInt(pe, fixed + 8, (std::uint32_t(major) << 16) | minor);
    PokeInt(pe, fixed + 12, (std::uint32_t(release) << 16) | build);
    PokeInt(pe, fixed + 16, (std::uint32_t(major) << 16) | minor);
    PokeInt(pe, fixed + 20, (std::uint32_t(release) << 16) | build);
    PokeInt(pe, fixed + 24, 0x3F);
    PokeInt(pe, fixed + 32, 0x40004);
    PokeInt(pe, fixed + 36, 1);
    return pe;
}

} // namespace package_writer
