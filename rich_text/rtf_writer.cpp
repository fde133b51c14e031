#include "rtf_writer.h"

#include <QTextDocument>

namespace lumora {

// Placeholder so that callers link while the writer is being built.
QByteArray WriteRtf(const QTextDocument &)
{
    return QByteArrayLiteral("{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\\par\n}");
}

} // namespace lumora
