#pragma once

#include <QString>
#include <functional>

// Seconds for the whole pass in an editing area, lists read from listDir.
using EditorPass = std::function<double(const QString &text, const QString &listDir)>;

// Keyword lists built to hurt a matcher, beside the shipped lists in
// listFolder: many entries behind one long prefix, entries that are
// prefixes or suffixes of one another, one very long entry, every rotation
// of a period.  Prints the time to work out the colours and the longest
// stretch without a progress call; with an editor pass also the whole pass
// in an editing area for the first shapes.
void PathologicalLists(const QString &listFolder, const QString &workDir, const EditorPass &editorPass);
