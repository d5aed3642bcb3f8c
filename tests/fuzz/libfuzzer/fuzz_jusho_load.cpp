#include "jusho_invariants.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Any bytes as the data file's content.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const auto broken = JushoInvariants::checkLoad(bytes)) {
        std::fprintf(stderr, "load invariant broken: %s\n", qUtf8Printable(*broken));
        std::abort();
    }
    return 0;
}
