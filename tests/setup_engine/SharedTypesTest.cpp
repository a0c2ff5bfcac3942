// Package texts are Windows-1252 bytes; records are read only within their own bytes.
#include "sharedtypes.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(SetupEngineSharedTypes, AnsiTextConvertsBothWaysAsWindows1252) {
    const std::string ansi("caf\xE9 \x80 \x93quoted\x94 \x9F \x81", 19);
    const QString text = setup::AnsiToText(ansi);
    EXPECT_EQ(text, QString::fromUtf8("caf\u00E9 \u20AC \u201Cquoted\u201D \u0178 \u0081"));
    EXPECT_EQ(setup::TextToAnsi(text), ansi);
    // What Windows-1252 cannot hold becomes '?', a surrogate pair one '?'.
    EXPECT_EQ(setup::TextToAnsi(QString::fromUtf8("\u4E2D-\U0001F600-\u0100")), "?-?-?");
}

TEST(SetupEngineSharedTypes, PackageStringReadsOnlyItsLength) {
    std::vector<std::uint8_t> bytes(256, 'x');
    bytes[0] = 3;
    bytes[1] = 'a';
    bytes[2] = 0; // a zero inside the length is kept
    bytes[3] = 'c';
    const setup::RecordReader reader(bytes);
    EXPECT_EQ(reader.PackageBytes(0), std::string("a\0c", 3));
    bytes[0] = 255;
    EXPECT_EQ(setup::RecordReader(bytes).PackageString(0).size(), 255);
}

TEST(SetupEngineSharedTypes, FieldsOutsideTheRecordAreDamage) {
    std::vector<std::uint8_t> bytes(10, 0);
    const setup::RecordReader reader(bytes);
    EXPECT_THROW(reader.PackageString(0), setup::EPackageDamaged);
    EXPECT_THROW(reader.Int(7), setup::EPackageDamaged);
    EXPECT_THROW(reader.Byte(10), setup::EPackageDamaged);
    EXPECT_THROW(reader.Word(static_cast<std::size_t>(-1)), setup::EPackageDamaged);
    EXPECT_EQ(reader.Int(6), 0);
    EXPECT_THROW(setup::FileEntry::Read(std::span(bytes)), setup::EPackageDamaged);
}

TEST(SetupEngineSharedTypes, NumbersAreLittleEndian) {
    const std::vector<std::uint8_t> bytes{0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0xFF};
    const setup::RecordReader reader(bytes);
    EXPECT_EQ(reader.Int(0), 0x12345678);
    EXPECT_EQ(reader.Word(0), 0x5678);
    EXPECT_EQ(reader.Int(4), -1);
}

} // namespace
