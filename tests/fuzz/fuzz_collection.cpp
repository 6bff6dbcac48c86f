// Feeds arbitrary bytes to the collection loader; whatever it keeps must also save again.

#include "../model/TestCollection.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static std::unique_ptr<TTestRoot> root = TRootItem::New<TTestRoot>();
    root->Clear();
    TValueReader reader(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    bool converted = false;
    try {
        root->LoadFromStream(reader, converted);
    } catch (const EData&) {
    }
    root->SaveToBytes();
    return 0;
}
