// The controller's serial-text cipher: a 128-bit block cipher with a 256-bit key
// built from Serpent's parts but keyed and substituted differently.
// Thread safety: stateless apart from the round keys made in the constructor;
// one instance may be shared for reading.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

class CEmuCipher {
public:
    using Block = std::array<std::uint8_t, 16>;

    // The text's first 32 characters are the key bytes (shorter texts are
    // padded with zeros).
    explicit CEmuCipher(std::string_view keyText = kKeyText);

    Block encipher(const Block& plain) const;
    Block decipher(const Block& cipher) const;

    // The serial text, NUL-padded (or cut) to one block, enciphered.
    Block encipherText(std::string_view text) const;

    static constexpr std::string_view kKeyText = "3E7A1B90-4C2D-4f1e-8B6A-0D9C5E2F7A41";

private:
    std::array<std::array<std::uint32_t, 4>, 33> m_roundKeys{};
};
