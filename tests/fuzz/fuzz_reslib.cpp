// Feeds arbitrary bytes to the resource library reader and looks up every id the program
// uses (and some around them): nothing may crash or read outside the input.

#include "resourcelibrary.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using zelan::reslib::ResourceLibrary;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto lib = ResourceLibrary::fromBytes(bytes, QStringLiteral("fuzz.dll"));
    if (!lib)
        return 0;
    for (int id = 0; id <= 600; ++id) {
        (void)lib->rcData(id);
        (void)lib->string(id);
    }
    return 0;
}
