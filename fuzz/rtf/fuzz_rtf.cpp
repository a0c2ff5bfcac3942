// Any bytes as "license.rtf": reading never crashes or hangs, and gives at most one character
// for each byte read, in runs that are not empty, hold no half of a surrogate pair and differ in
// style from the run before.
#include "RtfText.h"

#include <cstdint>
#include <cstdlib>

using namespace setup_main;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::vector<TextRun> runs = ReadLicenceText(bytes);
    qsizetype characters = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (runs[i].text.isEmpty() || !QStringView(runs[i].text).isValidUtf16() ||
            (i > 0 && runs[i].style == runs[i - 1].style))
            std::abort();
        characters += runs[i].text.size();
    }
    if (characters > bytes.size())
        std::abort();
    return 0;
}
