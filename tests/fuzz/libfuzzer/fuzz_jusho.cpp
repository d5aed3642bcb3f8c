#include "jusho_invariants.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The fuzz target FUZZ_TARGET: "load" takes any bytes as the data file's content, "line" as
// the eight texts typed into the registration window.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const auto broken = JushoInvariants::check(FUZZ_TARGET, input)) {
        std::fprintf(stderr, "%s invariant broken: %s\n", FUZZ_TARGET, qUtf8Printable(*broken));
        std::abort();
    }
    return 0;
}
