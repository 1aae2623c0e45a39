// The keystream cipher: inverse pairs, the restart of every call, the
// KeySum = 0 stream, and bytes above 127.

#include "cipher/Cipher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

namespace vls {
namespace {

// A direct transcription of the keystream rules, byte by byte, used as the
// reference for the table-driven implementation.
std::vector<std::uint8_t> ReferenceEncode(std::vector<std::uint8_t> bytes, const std::string& key,
                                          int key_sum) {
  std::int32_t t = key_sum;
  std::size_t i = 0;
  for (auto& byte : bytes) {
    t -= 1;
    if (t == 0)
      t = key_sum;
    i += 1;
    if (i == key.size() + 1)
      i = 1;
    const std::int32_t d = (t & 1) == 0 ? t : -t;
    byte = static_cast<std::uint8_t>(byte + static_cast<unsigned char>(key[i - 1]) + d);
  }
  return bytes;
}

class CipherTest : public ::testing::Test {
 protected:
  void SetKeyBytes(const std::string& key) {
    KeyString.Set(key);
    ComputeKeySum();
  }
  void TearDown() override { DropKey(); }
};

TEST_F(CipherTest, KeySumIsTheByteSumModulo255WithUnsignedBytes) {
  SetKeyBytes("abcde");  // 97+98+99+100+101 = 495
  EXPECT_EQ(KeySum, 495 % 255);
  SetKeyBytes("\xff\xff\x01zz");  // 255+255+1+122+122 = 755
  EXPECT_EQ(KeySum, 755 % 255);
}

TEST_F(CipherTest, MatchesTheReferenceForManyKeysAndLengths) {
  const std::vector<std::string> keys = {
      "secret", "abcde", "\xe9t\xe9\xe9t\xe9", "Zz9!~pass", std::string(30, '\x80'), "x"};
  for (const auto& key : keys) {
    SetKeyBytes(key);
    for (int n : {0, 1, 2, 254, 255, 4095, 4096}) {
      std::vector<std::uint8_t> plain(static_cast<std::size_t>(n));
      std::iota(plain.begin(), plain.end(), static_cast<std::uint8_t>(n));
      std::copy(plain.begin(), plain.end(), WorkBuffer.begin());
      EncodeBuffer(n);
      const auto expected = ReferenceEncode(plain, key, KeySum);
      ASSERT_TRUE(std::equal(expected.begin(), expected.end(), WorkBuffer.begin()))
          << "key " << key << " n " << n;
      DecodeBuffer(n);
      ASSERT_TRUE(std::equal(plain.begin(), plain.end(), WorkBuffer.begin()));
    }
  }
}

TEST_F(CipherTest, SmallKeySumsGiveTheDocumentedShifts) {
  // KeySum 1: d is always -1; KeySum 2: -1, 2, ...; KeySum 3: 2, -1, -3, ...
  // With a zero buffer the output byte is k[i] + d.
  struct Case {
    std::string key;
    std::vector<int> d;
  };
  // Keys of one repeated character whose sum mod 255 is small.
  const std::vector<Case> cases = {
      {std::string(1, '\x01'), {-1, -1, -1, -1}},
      {std::string(1, '\x02'), {-1, 2, -1, 2}},
      {std::string(1, '\x03'), {2, -1, -3, 2, -1, -3}},
  };
  for (const auto& c : cases) {
    SetKeyBytes(c.key);
    WorkBuffer.fill(0);
    EncodeBuffer(static_cast<std::int32_t>(c.d.size()));
    for (std::size_t p = 0; p < c.d.size(); ++p) {
      EXPECT_EQ(WorkBuffer[p], static_cast<std::uint8_t>(c.key[0] + c.d[p])) << p;
    }
  }
}

TEST_F(CipherTest, KeySumZeroRunsOneMinusTwoThreeWithoutEnd) {
  SetKeyBytes("\xff\xff\xff\xff\xff");  // 1275 = 5 * 255
  ASSERT_EQ(KeySum, 0);
  WorkBuffer.fill(0);
  EncodeBuffer(kWorkBufferSize);
  for (int n = 1; n <= kWorkBufferSize; ++n) {
    const int d = (n % 2 == 1) ? n : -n;
    ASSERT_EQ(WorkBuffer[static_cast<std::size_t>(n - 1)], static_cast<std::uint8_t>(0xFF + d))
        << n;
  }
}

TEST_F(CipherTest, EveryCallRestartsTheKeystream) {
  SetKeyBytes("restart!");
  WorkBuffer.fill(7);
  EncodeBuffer(100);
  std::vector<std::uint8_t> first(WorkBuffer.begin(), WorkBuffer.begin() + 100);
  WorkBuffer.fill(7);
  EncodeBuffer(100);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), WorkBuffer.begin()));
}

TEST_F(CipherTest, LeavesBytesAtAndBeyondNUntouchedAndNZeroOrLessDoesNothing) {
  SetKeyBytes("untouched");
  WorkBuffer.fill(0x5A);
  EncodeBuffer(10);
  for (std::size_t p = 10; p < WorkBuffer.size(); ++p)
    ASSERT_EQ(WorkBuffer[p], 0x5A);
  WorkBuffer.fill(0x5A);
  EncodeBuffer(0);
  EncodeBuffer(-3);
  DecodeBuffer(0);
  for (auto b : WorkBuffer)
    ASSERT_EQ(b, 0x5A);
}

TEST_F(CipherTest, ANewKeyTakesEffectAndDropZeroesTheKey) {
  SetKeyBytes("first key");
  WorkBuffer.fill(0);
  EncodeBuffer(16);
  std::vector<std::uint8_t> with_first(WorkBuffer.begin(), WorkBuffer.begin() + 16);
  SetKeyBytes("other key");
  WorkBuffer.fill(0);
  EncodeBuffer(16);
  EXPECT_FALSE(std::equal(with_first.begin(), with_first.end(), WorkBuffer.begin()));
  DropKey();
  EXPECT_TRUE(KeyString.empty());
  EXPECT_EQ(KeyString.view().size(), 0u);
}

// Drop leaves nothing derived from the key: the cached keystream holds key
// bytes plus a known counter, so the key could be read back from it.
TEST_F(CipherTest, DropZeroesTheCachedKeystreamAndTheWorkBuffer) {
  const auto& cached = Keystream();  // the cache itself, read after the drop
  SetKeyBytes("drop me");
  WorkBuffer.fill(1);
  EncodeBuffer(kWorkBufferSize);
  ASSERT_NE(std::count(cached.begin(), cached.end(), 0), kWorkBufferSize);
  DropKey();
  EXPECT_EQ(std::count(cached.begin(), cached.end(), 0), kWorkBufferSize);
  EXPECT_EQ(std::count(WorkBuffer.begin(), WorkBuffer.end(), 0), kWorkBufferSize);
}

TEST(KeyStringSlotTest, CutsAt255AndClearZeroesTheStorage) {
  KeyStringSlot slot;
  slot.Set(std::string(300, 'k'));
  EXPECT_EQ(slot.size(), 255u);
  const auto* storage = reinterpret_cast<const unsigned char*>(slot.view().data());
  slot.Clear();
  for (std::size_t i = 0; i < KeyStringSlot::kCapacity; ++i)
    ASSERT_EQ(storage[i], 0) << i;
}

}  // namespace
}  // namespace vls
