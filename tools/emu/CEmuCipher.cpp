#include "CEmuCipher.h"

#include <algorithm>

namespace {

constexpr std::uint8_t kBox[8][16] = {
    {3, 8, 15, 1, 10, 6, 5, 11, 14, 13, 4, 2, 7, 0, 9, 12},
    {15, 12, 2, 7, 9, 0, 5, 10, 1, 11, 14, 8, 6, 13, 3, 4},
    {8, 6, 7, 9, 3, 12, 10, 15, 13, 1, 14, 4, 0, 11, 5, 2},
    {0, 15, 11, 8, 12, 9, 6, 3, 13, 1, 2, 4, 10, 7, 5, 14},
    {1, 15, 8, 3, 12, 0, 11, 6, 2, 5, 4, 10, 9, 14, 7, 13},
    {15, 5, 2, 11, 4, 10, 9, 12, 0, 3, 14, 8, 13, 6, 7, 1},
    {7, 2, 12, 5, 8, 4, 6, 11, 14, 9, 1, 15, 13, 3, 10, 0},
    {1, 13, 15, 0, 14, 8, 2, 11, 7, 4, 12, 10, 9, 3, 5, 6},
};

struct SInverseBoxes {
    std::uint8_t v[8][16]{};
    constexpr SInverseBoxes()
    {
        for (int s = 0; s < 8; ++s)
            for (int i = 0; i < 16; ++i)
                v[s][kBox[s][i]] = static_cast<std::uint8_t>(i);
    }
};
constexpr SInverseBoxes kInverse;

std::uint32_t rol(std::uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}

std::uint32_t ror(std::uint32_t x, int n)
{
    return (x >> n) | (x << (32 - n));
}

// The controller substitutes every nibble of a word on its own, unlike
// Serpent's bit-sliced boxes.
std::uint32_t substitute(std::uint32_t w, const std::uint8_t* box)
{
    std::uint32_t out = 0;
    for (int n = 0; n < 8; ++n)
        out |= static_cast<std::uint32_t>(box[(w >> (4 * n)) & 0xF]) << (4 * n);
    return out;
}

using State = std::array<std::uint32_t, 4>;

void mix(State& x)
{
    x[0] = rol(x[0], 13);
    x[2] = rol(x[2], 3);
    x[1] = rol(x[1] ^ x[0] ^ x[2], 1);
    x[3] = rol(x[3] ^ x[2] ^ (x[0] << 3), 7);
    x[0] = rol(x[0] ^ x[1] ^ x[3], 5);
    x[2] = rol(x[2] ^ x[3] ^ (x[1] << 7), 22);
}

void unmix(State& x)
{
    x[2] = ror(x[2], 22);
    x[0] = ror(x[0], 5);
    x[2] = x[2] ^ x[3] ^ (x[1] << 7);
    x[0] = x[0] ^ x[1] ^ x[3];
    x[3] = ror(x[3], 7);
    x[1] = ror(x[1], 1);
    x[3] = x[3] ^ x[2] ^ (x[0] << 3);
    x[1] = x[1] ^ x[0] ^ x[2];
    x[2] = ror(x[2], 3);
    x[0] = ror(x[0], 13);
}

State load(const CEmuCipher::Block& b)
{
    State s{};
    for (int j = 0; j < 4; ++j)
        s[j] = static_cast<std::uint32_t>(b[4 * j]) |
               (static_cast<std::uint32_t>(b[4 * j + 1]) << 8) |
               (static_cast<std::uint32_t>(b[4 * j + 2]) << 16) |
               (static_cast<std::uint32_t>(b[4 * j + 3]) << 24);
    return s;
}

CEmuCipher::Block store(const State& s)
{
    CEmuCipher::Block b{};
    for (int j = 0; j < 4; ++j)
        for (int k = 0; k < 4; ++k)
            b[4 * j + k] = static_cast<std::uint8_t>((s[j] >> (8 * k)) & 0xFF);
    return b;
}

void addKey(State& s, const std::array<std::uint32_t, 4>& k)
{
    for (int j = 0; j < 4; ++j)
        s[j] ^= k[j];
}

void boxes(State& s, const std::uint8_t* box)
{
    for (auto& w : s)
        w = substitute(w, box);
}

} // namespace

CEmuCipher::CEmuCipher(std::string_view keyText)
{
    std::uint8_t key[32]{};
    std::copy_n(keyText.begin(), std::min<std::size_t>(32, keyText.size()), key);
    std::uint32_t w[140]{};
    for (int j = 0; j < 8; ++j)
        w[j] = static_cast<std::uint32_t>(key[4 * j]) |
               (static_cast<std::uint32_t>(key[4 * j + 1]) << 8) |
               (static_cast<std::uint32_t>(key[4 * j + 2]) << 16) |
               (static_cast<std::uint32_t>(key[4 * j + 3]) << 24);
    // The recurrence runs over the untransformed words; substitution follows.
    for (int i = 8; i < 140; ++i)
        w[i] = w[i - 8] ^ w[i - 5] ^ w[i - 3] ^ w[i - 1] ^ 0x9E3779B9u ^
               static_cast<std::uint32_t>(i - 8);
    for (int i = 8; i < 140; ++i) {
        const int box = ((3 - (i - 8)) % 8 + 8) % 8;
        w[i] = substitute(w[i], kBox[box]);
    }
    for (int j = 0; j < 33; ++j)
        for (int k = 0; k < 4; ++k)
            m_roundKeys[j][k] = w[8 + 4 * j + k];
}

CEmuCipher::Block CEmuCipher::encipher(const Block& plain) const
{
    State s = load(plain);
    for (int r = 0; r <= 30; ++r) {
        addKey(s, m_roundKeys[r]);
        boxes(s, kBox[r % 8]);
        mix(s);
    }
    addKey(s, m_roundKeys[31]);
    boxes(s, kBox[7]);
    addKey(s, m_roundKeys[32]);
    return store(s);
}

CEmuCipher::Block CEmuCipher::decipher(const Block& cipher) const
{
    State s = load(cipher);
    addKey(s, m_roundKeys[32]);
    boxes(s, kInverse.v[7]);
    addKey(s, m_roundKeys[31]);
    for (int r = 30; r >= 0; --r) {
        unmix(s);
        boxes(s, kInverse.v[r % 8]);
        addKey(s, m_roundKeys[r]);
    }
    return store(s);
}

CEmuCipher::Block CEmuCipher::encipherText(std::string_view text) const
{
    Block plain{};
    std::copy_n(text.begin(), std::min<std::size_t>(plain.size(), text.size()), plain.begin());
    return encipher(plain);
}
