// The cipher of the controller's serial text: one 16-byte block, 256-bit key.
// It is built from Serpent's parts but differs from it (nibble-wise S-boxes,
// an unrotated key recurrence, one S-box per key word), so a standard
// implementation gives other results.
// Thread safety: one instance per thread; the static helpers are reentrant.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The key text the controller's serial is enciphered with; only its first 32
// characters form the key.
inline constexpr std::string_view CIPHER_KEY_TEXT = "3E7A1B90-4C2D-4f1e-8B6A-0D9C5E2F7A41";

class CCipher {
public:
    static constexpr std::size_t BLOCK_SIZE = 16;
    static constexpr std::size_t KEY_SIZE = 32;

    CCipher() = default;
    virtual ~CCipher() = default;

    // The 16 deciphered bytes (NULs included); an empty text unless the input
    // is exactly 16 bytes long. A key shorter than 32 bytes is padded with zeros.
    std::string decipher(std::string_view cipherText, std::string_view keyText = CIPHER_KEY_TEXT);
    // The inverse, for tests and tools; an empty text unless given 16 bytes.
    std::string encipher(std::string_view plainText, std::string_view keyText = CIPHER_KEY_TEXT);

    // The deciphered text up to its first NUL: the controller's serial.
    static std::string decipherSerial(std::string_view cipherText,
                                      std::string_view keyText = CIPHER_KEY_TEXT);

private:
    void setKey(std::string_view keyText);
    void load(std::string_view block);
    std::string store() const;
    void addRoundKey(int round);
    void substitute(int box);
    void substituteInverse(int box);
    void transform();
    void transformInverse();

    std::array<std::uint32_t, 4> m_input{};
    std::array<std::uint32_t, 8> m_key{};
    std::array<std::uint32_t, 4> m_output{};
    std::array<std::array<std::uint32_t, 4>, 33> m_roundKeys{};
    std::array<std::uint32_t, 4> m_x{};
};
