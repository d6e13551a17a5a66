#include "platform/foundation/PropertyList.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray xml(reinterpret_cast<const char *>(data), qsizetype(size));
    Result<QVariant> value = PropertyList::fromXml(xml);
    if (value)
        PropertyList::toXml(*value);
    return 0;
}
