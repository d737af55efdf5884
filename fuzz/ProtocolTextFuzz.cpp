// libFuzzer target for the protocol file reader: any bytes must parse
// without a crash, a hang or unbounded memory, and what was read must
// survive a save and a second read.
#include "ReadBack.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!ReadsBackTheSame(bytes))
        std::abort();
    return 0;
}
