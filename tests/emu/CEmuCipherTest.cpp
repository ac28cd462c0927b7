#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "CEmuCipher.h"

TEST(EmuCipher, SerialOfTheDefaultControllerEnciphersToTheKnownBlock)
{
    const CEmuCipher c;
    const CEmuCipher::Block want{0x12, 0x86, 0x02, 0x30, 0x7D, 0xEC, 0xA0, 0x13,
                                 0x55, 0xAD, 0x63, 0xCB, 0xF3, 0xE9, 0x39, 0x04};
    EXPECT_EQ(c.encipherText("si001"), want);
    const auto back = c.decipher(want);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(back.data()), 5), "si001");
    EXPECT_TRUE(std::all_of(back.begin() + 5, back.end(), [](auto b) { return b == 0; }));
}

TEST(EmuCipher, DecipherUndoesEncipherForAnyKeyAndBlock)
{
    for (const char* key :
         {"", "3E7A1B90-4C2D-4f1e-8B6A-0D9C5E2F7A41", "any other key text at all!!"}) {
        const CEmuCipher c(key);
        CEmuCipher::Block b{};
        for (int round = 0; round < 20; ++round) {
            for (std::size_t i = 0; i < b.size(); ++i)
                b[i] = static_cast<std::uint8_t>(round * 31 + i * 17);
            const auto e = c.encipher(b);
            EXPECT_NE(e, b);
            EXPECT_EQ(c.decipher(e), b);
        }
    }
    // A different key gives a different block.
    EXPECT_NE(CEmuCipher("x").encipherText("si001"), CEmuCipher().encipherText("si001"));
}
