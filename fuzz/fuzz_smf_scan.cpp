// The quick header scan that every list entry goes through, on the block it is given.

#include <cstddef>
#include <cstdint>

#include "engine/smf_info.h"
#include "fuzz_support.h"

using vesk::fuzz::require;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vesk::fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vesk::engine;
    const QByteArrayView block(data, static_cast<qsizetype>(size));
    const SmfInfo info = scanSmfBlock(block, QStringLiteral("/songs/fuzz.mid"));
    require(info.errorCode == kSmfOk || info.errorCode == kSmfHeaderUnreadable,
            "scan result is ok or header unreadable");
    require(info.playTime == 0, "the scan does not guess a playing time");
    if (info.errorCode == kSmfOk) {
        require(!info.title.isEmpty(), "a scanned song always has a title");
        require(block.indexOf("MThd") >= 0, "ok only with a header");
    }
    return 0;
}
