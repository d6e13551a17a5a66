#include "DOMNodeList.h"

DOMNode *DOMNodeList::item(int index) const
{
    return index >= 0 && index < m_nodes.size() ? m_nodes.at(index).get() : nullptr;
}
