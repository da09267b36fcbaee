#include "sequencer/current_exception.h"

#include <cxxabi.h>

#include <cstdlib>
#include <exception>
#include <memory>
#include <typeinfo>

namespace vesk::sequencer {

QString describeCurrentException() {
    try {
        throw;
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        const std::type_info* type = abi::__cxa_current_exception_type();
        if (type == nullptr) {
            return QStringLiteral("an unknown exception");
        }
        int status = 0;
        const std::unique_ptr<char, decltype(&std::free)> readable(
            abi::__cxa_demangle(type->name(), nullptr, nullptr, &status), &std::free);
        return QStringLiteral("an exception of type %1")
            .arg(QLatin1String(status == 0 && readable ? readable.get() : type->name()));
    }
}

}  // namespace vesk::sequencer
