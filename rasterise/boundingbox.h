#pragma once

#include <QString>

// What the copy of a drawing must say for Ghostscript to crop it to its bounding box. Ghostscript
// crops only a file whose first line says "EPSF", to the box its header gives; it rejects a
// header that defers the box to the end ("%%BoundingBox: (atend)", as programs that learn the
// box only while drawing write it). So the copy it reads gets the trailer's box in place of a
// deferred one, and a one-page file whose header gives a box is marked as a drawing (then
// Ghostscript also shows the page of a drawing that never shows it itself, as programs that
// place drawings expect of them).
namespace boundingbox {

// What PrepareCopy found: a box in the header as it was, the trailer's box filled in, or a box
// deferred to the end that the end never gives.
enum class Box { AsGiven, FilledIn, NotGiven };

// Replaces, in the file at `path`, the deferred bounding-box lines of the header by the last
// such lines of the trailer, and the first line of a file whose header gives a box but whose
// first line does not say "EPSF" by one that does, unless the file says it has more than one
// page. Of a drawing with a binary preview header only the PostScript section is kept, changed
// so. The file is left as it is unless it needs a change, and only such a file is read whole.
Box PrepareCopy(const QString& path);

} // namespace boundingbox
