#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>

#include "answerbank/formats/ZipArchive.h"
#include "zip_builder.h"

namespace {

using ziptest::Builder;

// Bytes from the first `letters` letters, or any bytes for 256.
std::string RandomContent(std::mt19937& random, size_t length, unsigned letters = 256) {
  std::string content;
  for (size_t i = 0; i < length; ++i) content += static_cast<char>(random() % letters + (letters < 256 ? 'a' : 0));
  return content;
}

ZipError ExtractOnly(const std::string& archiveBytes, std::string* out = nullptr, const InflateLimits& limits = {}) {
  const ZipArchive archive(archiveBytes);
  if (archive.Error() != ZipError::kNone) return archive.Error();
  std::string data;
  const ZipError error = archive.Extract(archive.Entries().at(0), data, limits);
  if (out) *out = data;
  return error;
}

TEST(ZipArchive, StoredAndDeflatedEntriesComeBackAsTheyWent) {
  std::mt19937 random(3);
  for (int round = 0; round < 40; ++round) {
    Builder zip;
    std::vector<std::pair<std::string, std::string>> expected;
    for (int i = random() % 5; i >= 0; --i) {
      std::string name = std::string(u8"答案/第") + std::to_string(expected.size()) + u8"题.xml";
      // Some texts repeat a few letters, so that deflating shrinks them.
      std::string content = RandomContent(random, random() % 3 ? random() % 200 : random() % 70000, random() % 2 ? 4 : 256);
      zip.Add(name, content, random() % 2);
      expected.emplace_back(std::move(name), std::move(content));
    }
    const std::string bytes = zip.Finish();
    const ZipArchive archive(bytes);
    ASSERT_EQ(archive.Error(), ZipError::kNone);
    ASSERT_EQ(archive.Entries().size(), expected.size());
    for (const auto& [name, content] : expected) {
      const ZipEntry* entry = archive.Find(name);
      ASSERT_NE(entry, nullptr) << name;
      std::string data;
      ASSERT_EQ(archive.Extract(*entry, data), ZipError::kNone) << name;
      ASSERT_EQ(data, content) << name;
    }
    EXPECT_EQ(archive.Find("word/document.xml"), nullptr);
  }
}

TEST(ZipArchive, ACommentAfterTheDirectoryAndAnEmptyArchiveAreFine) {
  Builder zip;
  zip.Add("a.txt", "hello", true);
  std::string bytes = zip.Finish() + "a comment";
  bytes[bytes.size() - 9 - 2] = 9;  // the comment's length, last field of the end record
  EXPECT_EQ(ExtractOnly(bytes), ZipError::kNone);
  const ZipArchive empty(Builder().Finish());
  EXPECT_EQ(empty.Error(), ZipError::kNone);
  EXPECT_TRUE(empty.Entries().empty());
}

TEST(ZipArchive, EntriesThatLieAboutThemselvesAreRefused) {
  struct Case {
    const char* what;
    bool deflated;
    std::function<void(ziptest::Entry&)> falsify;
    ZipError expected;
  };
  const Case cases[] = {
      {"wrong CRC, stored", false, [](ziptest::Entry& e) { e.crc ^= 1; }, ZipError::kCrcMismatch},
      {"wrong CRC, deflated", true, [](ziptest::Entry& e) { e.crc ^= 1; }, ZipError::kCrcMismatch},
      {"declared larger", true, [](ziptest::Entry& e) { e.size += 1; }, ZipError::kSizeMismatch},
      {"declared smaller", true, [](ziptest::Entry& e) { e.size -= 1; }, ZipError::kSizeMismatch},
      {"stored sizes differ", false, [](ziptest::Entry& e) { e.size -= 1; }, ZipError::kSizeMismatch},
      {"data after the stream", true, [](ziptest::Entry& e) { e.data += "xx"; }, ZipError::kSizeMismatch},
      {"stream cut short", true, [](ziptest::Entry& e) { e.data.resize(e.data.size() / 2); }, ZipError::kBadData},
      {"not a deflate stream", true, [](ziptest::Entry& e) { e.data.assign(e.data.size(), '\xFF'); }, ZipError::kBadData},
      {"encrypted", true, [](ziptest::Entry& e) { e.flags |= 1; }, ZipError::kEncrypted},
      {"bzip2", true, [](ziptest::Entry& e) { e.method = 12; }, ZipError::kUnsupported},
  };
  std::mt19937 random(5);
  const std::string content = RandomContent(random, 3000, 26) + u8"第一题";
  for (const Case& c : cases) {
    Builder zip;
    c.falsify(zip.Add("word/document.xml", content, c.deflated));
    std::string data = "left over";
    EXPECT_EQ(ExtractOnly(zip.Finish(), &data), c.expected) << c.what;
    EXPECT_EQ(data, "") << c.what;
  }
}

TEST(ZipArchive, BrokenOrOverlappingStructuresAreRefused) {
  Builder two;
  two.Add("a.xml", "first entry", false);
  two.Add("b.xml", "second entry", true);
  const std::string good = two.Finish();
  const size_t end = good.size() - 22;

  // Cut anywhere: never an archive that reads.
  for (size_t length = 0; length < good.size(); ++length) {
    EXPECT_NE(ZipArchive(good.substr(0, length)).Error(), ZipError::kNone) << "cut at " << length;
  }
  std::string wrongCount = good;
  wrongCount[end + 8] = wrongCount[end + 10] = 3;
  EXPECT_EQ(ZipArchive(wrongCount).Error(), ZipError::kBroken);
  std::string zip64 = good;
  zip64[end + 8] = zip64[end + 9] = zip64[end + 10] = zip64[end + 11] = '\xFF';
  EXPECT_EQ(ZipArchive(zip64).Error(), ZipError::kUnsupported);
  std::string badLocal = good;
  badLocal[1] = 'X';
  EXPECT_EQ(ZipArchive(badLocal).Error(), ZipError::kBroken);
  EXPECT_EQ(ZipArchive("PK\x03\x04 not really").Error(), ZipError::kNotAnArchive);

  Builder shared;
  shared.Add("a.xml", "the same bytes twice", false);
  shared.Add("b.xml", "", false).sharesDataOf = 0;
  EXPECT_EQ(ZipArchive(shared.Finish()).Error(), ZipError::kOverlapping);
  Builder intoDirectory;
  intoDirectory.Add("a.xml", "abc", false).data += std::string(10, 'z');
  std::string lying = intoDirectory.Finish();
  lying[lying.find("PK\x01\x02") + 20] = 13 + 40;  // a compressed size that reaches into the directory
  EXPECT_EQ(ZipArchive(lying).Error(), ZipError::kOverlapping);
}

// Sets the four bytes at `at` to 0xFF: the marker of a value kept in ZIP64 records.
std::string WithZip64Marker(std::string bytes, size_t at) {
  bytes.replace(at, 4, 4, '\xFF');
  return bytes;
}

TEST(ZipArchive, AZip64MarkerInAnyOneFieldIsUnsupported) {
  Builder one;
  one.Add("a.xml", "entry", false);
  const std::string good = one.Finish();
  const size_t end = good.size() - 22;
  const size_t central = good.find("PK\x01\x02");
  const struct {
    const char* field;
    size_t at;
  } markers[] = {
      {"directory size", end + 12},      {"directory offset", end + 16}, {"compressed size", central + 20},
      {"size", central + 24},            {"local header offset", central + 42},
  };
  for (const auto& marker : markers) {
    EXPECT_EQ(ZipArchive(WithZip64Marker(good, marker.at)).Error(), ZipError::kUnsupported) << marker.field;
  }
}

TEST(ZipArchive, EntryDataMayEndAtTheArchivesEndButNotBeyond) {
  Builder one;
  one.Add("a.xml", "entry", false);
  const std::string good = one.Finish();
  const size_t central = good.find("PK\x01\x02");
  const size_t dataOffset = 30 + 5;
  // A compressed size that reaches the archive's last byte lies over the
  // directory; one byte more lies beyond the archive.
  for (const size_t reach : {size_t{0}, size_t{1}}) {
    std::string lying = good;
    const uint32_t size = static_cast<uint32_t>(good.size() - dataOffset + reach);
    for (int i = 0; i < 4; ++i) lying[central + 20 + i] = static_cast<char>(size >> (8 * i));
    EXPECT_EQ(ZipArchive(lying).Error(), reach == 0 ? ZipError::kOverlapping : ZipError::kBroken) << reach;
  }

  // Extracting checks an entry against the archive again: data ending with the
  // archive's last byte comes out whole.
  const ZipArchive archive(good);
  ASSERT_EQ(archive.Error(), ZipError::kNone);
  const std::string_view last(good.data() + good.size() - 22, 22);
  ZipEntry tail;
  tail.dataOffset = good.size() - 22;
  tail.compressedSize = tail.size = 22;
  tail.crc32 = ziptest::Crc(last);
  std::string data;
  EXPECT_EQ(archive.Extract(tail, data), ZipError::kNone);
  EXPECT_EQ(data, last);
  tail.compressedSize = tail.size = 23;
  EXPECT_EQ(archive.Extract(tail, data), ZipError::kBroken);
}

TEST(ZipArchive, TheEndRecordIsLookedForWhereItCanBe) {
  Builder one;
  one.Add("a.xml", "entry", true);
  const std::string good = one.Finish();
  auto withComment = [&good](const std::string& comment) {
    std::string bytes = good + comment;
    bytes[good.size() - 2] = static_cast<char>(comment.size() & 0xFF);
    bytes[good.size() - 1] = static_cast<char>(comment.size() >> 8);
    return bytes;
  };
  // The longest comment there can be: the record is the first place looked at.
  EXPECT_EQ(ZipArchive(withComment(std::string(0xFFFF, 'c'))).Error(), ZipError::kNone);
  // Any record further back than that is not one: here a byte after the comment.
  EXPECT_EQ(ZipArchive(withComment(std::string(0xFFFF, 'c')) + "x").Error(), ZipError::kNotAnArchive);
  // A signature in the last 21 bytes has no room for a record: never read
  // there, not even one byte beyond the archive (the bytes are held in a
  // buffer of their exact size, for the sanitizers to see).
  const std::string signatureLate = withComment(std::string("PK\x05\x06", 4) + std::string(17, 'c'));
  const std::unique_ptr<char[]> exact(new char[signatureLate.size()]);
  std::copy(signatureLate.begin(), signatureLate.end(), exact.get());
  const ZipArchive late(std::string_view(exact.get(), signatureLate.size()));
  EXPECT_EQ(late.Error(), ZipError::kNone);
  EXPECT_EQ(late.Entries().size(), 1u);
}

TEST(ZipArchive, InflatingStopsAtTheLimitsWhateverTheHeaderSays) {
  // A megabyte of one letter deflates about a thousand to one.
  Builder bomb;
  bomb.Add("word/document.xml", std::string(1 << 20, 'a'), true);
  EXPECT_EQ(ExtractOnly(bomb.Finish()), ZipError::kTooLarge);
  bomb.At(0).size = 1000;  // a small size declared does not let it through
  EXPECT_EQ(ExtractOnly(bomb.Finish()), ZipError::kTooLarge);

  // The size limit exactly, with data that does not compress.
  std::mt19937 random(4);
  const InflateLimits limits{1000, 100};
  for (size_t length : {1000, 1001}) {
    Builder zip;
    zip.Add("x", RandomContent(random, length), true).size = 10;
    const ZipError expected = length > limits.maxBytes ? ZipError::kTooLarge : ZipError::kSizeMismatch;
    EXPECT_EQ(ExtractOnly(zip.Finish(), nullptr, limits), expected) << length;
  }
  Builder stored;
  stored.Add("x", std::string(1001, 's'), false);
  EXPECT_EQ(ExtractOnly(stored.Finish(), nullptr, limits), ZipError::kTooLarge);
}

}  // namespace
