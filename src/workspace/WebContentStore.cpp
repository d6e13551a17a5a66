#include "WebContentStore.h"

namespace {
WebContentStore *s_shared = nullptr;
}

WebContentStore *WebContentStore::shared()
{
    return s_shared;
}

void WebContentStore::setShared(WebContentStore *store)
{
    s_shared = store;
}
