#include "jusho_invariants.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Any eight texts as typed into the registration window, written as one line.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const auto broken = JushoInvariants::checkLine(JushoInvariants::recordFromUtf16(bytes))) {
        std::fprintf(stderr, "line invariant broken: %s\n", qUtf8Printable(*broken));
        std::abort();
    }
    return 0;
}
