#pragma once
// The registry export format: "Windows Registry Editor Version 5.00", keys in brackets, one value
// a line ("name"="text", dword:, hex:, hex(n):). Written as UTF-16LE with a byte order mark and
// CR LF line ends, as the registry editor writes it; read also from UTF-8.

#include "RegistryData.h"

#include <QByteArray>

namespace winplatform::regfile {

inline constexpr qsizetype kMaxFileSize = 64 * 1024 * 1024;

// False with a reason (naming the line) for anything the format does not allow; `out` is then
// left unchanged.
bool parse(const QByteArray& bytes, RegistryData& out, QString& error);
QByteArray serialize(const RegistryData& data);

} // namespace winplatform::regfile
