#pragma once

#include "document/edit_buffer.h"

namespace lumora {

class TextView;

// Screen readers see the editing area as editable text: its characters,
// caret and selection through QAccessibleTextInterface.  Installed once for
// the process; every TextView (subclasses included) gets it.
void InstallTextViewAccessible();

// Tell assistive technology what changed; they cost nothing while none
// listens.  The caret and selection after a move or an edit:
void AnnounceCaret(TextView &view);
// A change of the buffer's text or formats, as its listener reports it:
void AnnounceChange(TextView &view, const EditBuffer::Change &change);

} // namespace lumora
