#pragma once

#include <QtGlobal>
#include <functional>

namespace lumora {

// Called now and then during long work (reading, decoding, filling the
// editor, a highlighting pass) with how far it got: done out of total, in
// whatever the work counts (bytes, characters, units of work); total is 0
// when the work cannot tell.  Returning false abandons the work at once:
// what it worked on may be gone, so nothing is touched afterwards.
using Progress = std::function<bool(qint64 done, qint64 total)>;

} // namespace lumora
