// Feeds arbitrary bytes to the reader of the application's settings store, a
// file a crashed write or a hand edit may have left in any state. It must
// never crash, and the file must settle. A damaged key may lose a piece each
// time the file is written back, as it does in the store itself (a leading
// "\\" reads as an empty group's "/" and is gone on the next save), so the two
// programs keep agreeing on it, and a key may move into its own group once its
// first "/" shows; but there are only so many of those, and after them the
// text must read back to itself.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

#include "data/CIniDocument.h"

namespace {

std::string rewritten(std::string_view bytes)
{
    return CIniDocument::parse(bytes).serialize();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string text = rewritten({reinterpret_cast<const char*>(data), size});
    const std::size_t saves = text.size() + 2;
    for (std::size_t save = 0; save < saves; ++save) {
        std::string next = rewritten(text);
        if (next == text)
            return 0;
        text = std::move(next);
    }
    std::abort(); // still changing: every save would rewrite the file
}
