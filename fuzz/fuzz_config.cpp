// The configuration reader on arbitrary bytes, and its promise that settings survive the
// quit: whatever was read, once written, reads back the same.

#include <cstddef>
#include <cstdint>

#include "config/settings.h"
#include "fuzz_support.h"

using vesk::fuzz::require;

namespace {

// Values are single lines; a carriage return inside one is written as a space, so such
// inputs cannot read back byte for byte.
bool hasLoneCarriageReturn(const QByteArray& bytes) {
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vesk::fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vesk::config;
    const QByteArray bytes = vesk::fuzz::bytesOf(data, size);
    const ConfigReadResult first = readConfig(bytes);
    if (!first.valid) {
        require(first.settings == Settings{}, "an invalid file leaves the defaults");
        return 0;
    }
    const Settings& s = first.settings;
    require(s.repeat >= 0 && s.repeat <= 3, "repeat mode is one of the menu's");
    require(s.deviceNumber == u"A" || s.deviceNumber == u"B" || s.deviceNumber == u"Auto",
            "device choice is A, B or Auto");

    const ConfigReadResult second = readConfig(writeConfig(s));
    require(second.valid, "a written file reads as valid");
    // The written file names the device after KEYCHECK, so the device choice decides it
    // (a hand-edited file may name them the other way round).
    Settings expected = s;
    expected.keyCheck = s.deviceNumber != u"A";
    if (!hasLoneCarriageReturn(bytes)) {
        require(second.settings == expected, "written settings read back the same");
    }
    const ConfigReadResult third = readConfig(writeConfig(second.settings));
    require(third.settings == second.settings, "writing twice changes nothing more");
    return 0;
}
