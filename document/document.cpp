#include "document/document.h"

namespace lumora {

Document Document::FromText(QString crlfText)
{
    Document d;
    d.text = std::move(crlfText);
    d.runs = RunList(int(d.text.size()), 0);
    return d;
}

} // namespace lumora
