#include "platform/foundation/Archiver.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    Result<QVariant> value = Unarchiver::unarchiveObjectWithData(bytes);
    if (value)
        Archiver::archivedDataWithRootObject(*value);
    return 0;
}
