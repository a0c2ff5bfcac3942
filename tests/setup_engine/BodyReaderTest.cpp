// The reader that decodes bodies ahead of the worker: order, content, faults that stay with
// their own body, and an early end that neither hangs nor leaks.
#include "BodyReader.h"

#include "PackageWriter.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <new>
#include <utility>

namespace {

using setup::BodyLocation;
using setup::TBodyReader;

std::string Text(std::size_t size, int seed) {
    static const char* words[] = {"wall ", "beam ", "slab ", "door ", "tile ", "\r\n"};
    std::string text;
    std::uint32_t x = static_cast<std::uint32_t>(seed) * 2654435761u + 7;
    while (text.size() < size) {
        x = x * 1103515245u + 12345u;
        text += words[(x >> 16) % 6];
    }
    text.resize(size);
    return text;
}

// A data.pak of the given bodies, packed or stored, with the location of each.
class DataPak {
public:
    DataPak(const std::vector<std::string>& contents, bool packed) {
        std::string pak;
        for (const std::string& content : contents) {
            const std::string body = packed ? package_writer::Pack(content) : content;
            locations.push_back({static_cast<std::int32_t>(pak.size() + 1),
                                 static_cast<std::int32_t>(body.size()),
                                 static_cast<std::int32_t>(content.size())});
            pak += body;
        }
        file.setFileName(dir.filePath("data.pak"));
        EXPECT_TRUE(file.open(QIODevice::ReadWrite));
        EXPECT_EQ(file.write(pak.data(), qint64(pak.size())), qint64(pak.size()));
        EXPECT_TRUE(file.flush());
    }
    QTemporaryDir dir;
    QFile file;
    std::vector<BodyLocation> locations;
};

std::string AsString(const TBodyReader::Body& body) {
    return {body.content.begin(), body.content.end()};
}

TEST(SetupBodyReader, BodiesOfEverySizeComeOutInOrderPackedAndStored) {
    std::vector<std::string> contents;
    for (int i = 0; i < 60; ++i)
        contents.push_back(Text(i % 7 == 3 ? 40'000 : std::size_t(i) * 37, i));
    contents.push_back(""); // an empty file
    for (const bool packed : {true, false}) {
        DataPak pak(contents, packed);
        TBodyReader reader(pak.file, packed, pak.locations);
        for (const std::string& expected : contents) {
            const TBodyReader::Body body = reader.Next();
            ASSERT_EQ(body.fault, TBodyReader::Fault::None);
            ASSERT_EQ(AsString(body), expected);
        }
        EXPECT_EQ(reader.Next().fault, TBodyReader::Fault::NoData) << "nothing past the end";
    }
}

TEST(SetupBodyReader, AFaultStaysWithItsOwnBody) {
    DataPak pak({Text(5000, 1), Text(6000, 2), Text(7000, 3), Text(100, 4), Text(50, 5)}, true);
    std::vector<BodyLocation> bodies(pak.locations.begin(), pak.locations.begin() + 4);
    bodies[0].InstalledSize += 1; // the trailer disagrees with the table
    bodies[1].DataOffset = 0;     // before the file
    bodies[2].DataOffset = std::numeric_limits<std::int32_t>::max(); // past its end
    bodies.push_back(bodies[3]);
    bodies.back().StoredSize = -1;
    // Table and trailer agree on a size no stream of this length can hold: nothing is set aside.
    BodyLocation huge = pak.locations[4];
    huge.InstalledSize = std::numeric_limits<std::int32_t>::max();
    ASSERT_TRUE(pak.file.seek(huge.DataOffset - 1 + huge.StoredSize - 4));
    ASSERT_EQ(pak.file.write("\xff\xff\xff\x7f", 4), 4);
    ASSERT_TRUE(pak.file.flush());
    bodies.push_back(huge);
    TBodyReader reader(pak.file, true, bodies);
    EXPECT_EQ(reader.Next().fault, TBodyReader::Fault::Damaged);
    EXPECT_EQ(reader.Next().fault, TBodyReader::Fault::NoData);
    EXPECT_EQ(reader.Next().fault, TBodyReader::Fault::NoData);
    const TBodyReader::Body good = reader.Next();
    EXPECT_EQ(good.fault, TBodyReader::Fault::None);
    EXPECT_EQ(AsString(good), Text(100, 4));
    EXPECT_EQ(reader.Next().fault, TBodyReader::Fault::NoData);
    const TBodyReader::Body hugeBody = reader.Next();
    EXPECT_EQ(hugeBody.fault, TBodyReader::Fault::Damaged);
    EXPECT_LT(hugeBody.content.capacity(), 1'000'000u);
}

// Reading throws once, as a read that runs out of memory would.
class ThrowingOnceFile : public QFile {
public:
    using QFile::QFile;
    bool thrown = false;

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (!std::exchange(thrown, true))
            throw std::bad_alloc();
        return QFile::readData(data, maxSize);
    }
};

TEST(SetupBodyReader, WhatReadingThrowsReachesTheWorker) {
    DataPak pak({Text(3000, 1), Text(3000, 2)}, true);
    ThrowingOnceFile file(pak.file.fileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    TBodyReader reader(file, true, pak.locations);
    const TBodyReader::Body first = reader.Next();
    ASSERT_TRUE(first.error);
    EXPECT_THROW(std::rethrow_exception(first.error), std::bad_alloc);
    const TBodyReader::Body second = reader.Next();
    EXPECT_FALSE(second.error);
    EXPECT_EQ(AsString(second), Text(3000, 2));
}

TEST(SetupBodyReader, EndingEarlyNeitherHangsNorLeaks) {
    std::vector<std::string> contents;
    for (int i = 0; i < 200; ++i)
        contents.push_back(Text(i == 100 ? 60'000 : 2'000, i));
    DataPak pak(contents, true);
    for (int taken : {0, 1, 5, 150}) {
        TBodyReader reader(pak.file, true, pak.locations);
        for (int i = 0; i < taken; ++i)
            ASSERT_EQ(AsString(reader.Next()), contents[std::size_t(i)]);
    }
    TBodyReader nothingToRead(pak.file, true, {});
    EXPECT_EQ(nothingToRead.Next().fault, TBodyReader::Fault::NoData);
}

} // namespace
