#include <cstdint>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "link/CCipher.h"

namespace {

std::string bytes(std::initializer_list<std::uint8_t> list)
{
    return std::string(list.begin(), list.end());
}

// "si001" padded with NULs to one block.
const std::string kSerialBlock =
    bytes({0x73, 0x69, 0x30, 0x30, 0x31, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
const std::string kSerialCipher = bytes({0x12, 0x86, 0x02, 0x30, 0x7D, 0xEC, 0xA0, 0x13, 0x55, 0xAD,
                                         0x63, 0xCB, 0xF3, 0xE9, 0x39, 0x04});

TEST(Cipher, KnownSerialBlockBothWays)
{
    CCipher cipher;
    EXPECT_EQ(cipher.encipher(kSerialBlock), kSerialCipher);
    EXPECT_EQ(cipher.decipher(kSerialCipher), kSerialBlock);
    EXPECT_EQ(CCipher::decipherSerial(kSerialCipher), "si001");
}

TEST(Cipher, OnlyTheFirst32KeyCharactersCount)
{
    CCipher cipher;
    const std::string key(CIPHER_KEY_TEXT.substr(0, 32));
    EXPECT_EQ(cipher.encipher(kSerialBlock, key), kSerialCipher);
    EXPECT_EQ(cipher.encipher(kSerialBlock, key + "anything"), kSerialCipher);
    std::string changed = key;
    changed[31] = 'X';
    EXPECT_NE(cipher.encipher(kSerialBlock, changed), kSerialCipher);
}

TEST(Cipher, OnlyA16ByteTextIsDeciphered)
{
    CCipher cipher;
    EXPECT_EQ(cipher.decipher(kSerialCipher.substr(0, 15)), "");
    EXPECT_EQ(cipher.decipher(kSerialCipher + "x"), "");
    EXPECT_EQ(cipher.decipher(""), "");
    EXPECT_EQ(CCipher::decipherSerial(kSerialCipher.substr(0, 15)), "");
    // NUL bytes inside the enciphered text are part of it.
    EXPECT_EQ(cipher.decipher(std::string(16, '\0')).size(), 16u);
}

TEST(Cipher, SerialEndsAtTheFirstNul)
{
    CCipher cipher;
    std::string leadingNul = kSerialBlock;
    leadingNul[0] = '\0';
    EXPECT_EQ(CCipher::decipherSerial(cipher.encipher(leadingNul)), "");

    const std::string full = "ABCDEFGHIJKLMNOP";
    EXPECT_EQ(CCipher::decipherSerial(cipher.encipher(full)), full);
}

TEST(Cipher, DecipheringUndoesEncipheringForAnyKey)
{
    std::mt19937 random(20060521);
    auto randomText = [&](std::size_t size) {
        std::string s(size, '\0');
        for (auto& c : s)
            c = static_cast<char>(random() & 0xFF);
        return s;
    };
    CCipher cipher;
    for (int round = 0; round < 50; ++round) {
        const std::string key = randomText(round % 3 == 0 ? 36 : 32);
        const std::string block = randomText(16);
        const std::string enciphered = cipher.encipher(block, key);
        ASSERT_EQ(enciphered.size(), 16u);
        EXPECT_NE(enciphered, block);
        EXPECT_EQ(cipher.decipher(enciphered, key), block) << "round " << round;
    }
    // A short key is padded with zeros rather than read past its end.
    EXPECT_EQ(cipher.decipher(cipher.encipher(kSerialBlock, "k"), "k"), kSerialBlock);
    EXPECT_EQ(cipher.encipher(kSerialBlock, "k"),
              cipher.encipher(kSerialBlock, std::string("k") + std::string(31, '\0')));
}

} // namespace
