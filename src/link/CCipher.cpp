#include "link/CCipher.h"

#include <algorithm>
#include <bit>

namespace {

constexpr std::uint8_t SBOX[8][16] = {
    {3, 8, 15, 1, 10, 6, 5, 11, 14, 13, 4, 2, 7, 0, 9, 12},
    {15, 12, 2, 7, 9, 0, 5, 10, 1, 11, 14, 8, 6, 13, 3, 4},
    {8, 6, 7, 9, 3, 12, 10, 15, 13, 1, 14, 4, 0, 11, 5, 2},
    {0, 15, 11, 8, 12, 9, 6, 3, 13, 1, 2, 4, 10, 7, 5, 14},
    {1, 15, 8, 3, 12, 0, 11, 6, 2, 5, 4, 10, 9, 14, 7, 13},
    {15, 5, 2, 11, 4, 10, 9, 12, 0, 3, 14, 8, 13, 6, 7, 1},
    {7, 2, 12, 5, 8, 4, 6, 11, 14, 9, 1, 15, 13, 3, 10, 0},
    {1, 13, 15, 0, 14, 8, 2, 11, 7, 4, 12, 10, 9, 3, 5, 6},
};

constexpr auto makeInverse()
{
    std::array<std::array<std::uint8_t, 16>, 8> inverse{};
    for (int box = 0; box < 8; ++box)
        for (int v = 0; v < 16; ++v)
            inverse[box][SBOX[box][v]] = static_cast<std::uint8_t>(v);
    return inverse;
}

constexpr auto SBOX_INVERSE = makeInverse();

constexpr std::uint32_t PHI = 0x9E3779B9;

template <class Table>
std::uint32_t nibbles(std::uint32_t word, const Table& box)
{
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 4)
        out |= static_cast<std::uint32_t>(box[(word >> shift) & 0xF]) << shift;
    return out;
}

std::uint32_t littleEndianWord(std::string_view bytes, std::size_t at)
{
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t pos = at + i;
        const auto byte = pos < bytes.size() ? static_cast<std::uint8_t>(bytes[pos]) : 0;
        word |= static_cast<std::uint32_t>(byte) << (8 * i);
    }
    return word;
}

} // namespace

void CCipher::setKey(std::string_view keyText)
{
    for (std::size_t j = 0; j < m_key.size(); ++j)
        m_key[j] = littleEndianWord(keyText.substr(0, std::min(keyText.size(), KEY_SIZE)), 4 * j);

    std::array<std::uint32_t, 140> w{};
    std::copy(m_key.begin(), m_key.end(), w.begin());
    for (std::uint32_t i = 8; i < w.size(); ++i)
        w[i] = w[i - 8] ^ w[i - 5] ^ w[i - 3] ^ w[i - 1] ^ PHI ^ (i - 8);
    // Each key word gets its own box, counting down from box 3.
    for (std::uint32_t i = 8; i < w.size(); ++i)
        w[i] = nibbles(w[i], SBOX[(3 + 8 - (i - 8) % 8) % 8]);
    for (std::size_t j = 0; j < m_roundKeys.size(); ++j)
        for (std::size_t k = 0; k < 4; ++k)
            m_roundKeys[j][k] = w[8 + 4 * j + k];
}

void CCipher::load(std::string_view block)
{
    for (std::size_t j = 0; j < 4; ++j)
        m_input[j] = littleEndianWord(block, 4 * j);
    m_x = m_input;
}

std::string CCipher::store() const
{
    std::string out(BLOCK_SIZE, '\0');
    for (std::size_t j = 0; j < 4; ++j)
        for (std::size_t i = 0; i < 4; ++i)
            out[4 * j + i] = static_cast<char>((m_output[j] >> (8 * i)) & 0xFF);
    return out;
}

void CCipher::addRoundKey(int round)
{
    for (std::size_t k = 0; k < 4; ++k)
        m_x[k] ^= m_roundKeys[round][k];
}

void CCipher::substitute(int box)
{
    for (auto& x : m_x)
        x = nibbles(x, SBOX[box]);
}

void CCipher::substituteInverse(int box)
{
    for (auto& x : m_x)
        x = nibbles(x, SBOX_INVERSE[box]);
}

void CCipher::transform()
{
    auto& [x0, x1, x2, x3] = m_x;
    x0 = std::rotl(x0, 13);
    x2 = std::rotl(x2, 3);
    x1 = std::rotl(x1 ^ x0 ^ x2, 1);
    x3 = std::rotl(x3 ^ x2 ^ (x0 << 3), 7);
    x0 = std::rotl(x0 ^ x1 ^ x3, 5);
    x2 = std::rotl(x2 ^ x3 ^ (x1 << 7), 22);
}

void CCipher::transformInverse()
{
    auto& [x0, x1, x2, x3] = m_x;
    x2 = std::rotr(x2, 22);
    x0 = std::rotr(x0, 5);
    x2 = x2 ^ x3 ^ (x1 << 7);
    x0 = x0 ^ x1 ^ x3;
    x3 = std::rotr(x3, 7);
    x1 = std::rotr(x1, 1);
    x3 = x3 ^ x2 ^ (x0 << 3);
    x1 = x1 ^ x0 ^ x2;
    x2 = std::rotr(x2, 3);
    x0 = std::rotr(x0, 13);
}

std::string CCipher::encipher(std::string_view plainText, std::string_view keyText)
{
    if (plainText.size() != BLOCK_SIZE)
        return {};
    setKey(keyText);
    load(plainText);
    for (int round = 0; round < 31; ++round) {
        addRoundKey(round);
        substitute(round % 8);
        transform();
    }
    addRoundKey(31);
    substitute(7);
    addRoundKey(32);
    m_output = m_x;
    return store();
}

std::string CCipher::decipher(std::string_view cipherText, std::string_view keyText)
{
    if (cipherText.size() != BLOCK_SIZE)
        return {};
    setKey(keyText);
    load(cipherText);
    addRoundKey(32);
    substituteInverse(7);
    addRoundKey(31);
    for (int round = 30; round >= 0; --round) {
        transformInverse();
        substituteInverse(round % 8);
        addRoundKey(round);
    }
    m_output = m_x;
    return store();
}

std::string CCipher::decipherSerial(std::string_view cipherText, std::string_view keyText)
{
    CCipher cipher;
    std::string block = cipher.decipher(cipherText, keyText);
    return block.substr(0, block.find('\0'));
}
