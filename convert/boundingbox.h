#pragma once

#include <QString>

// Drawings whose header defers the bounding box to the end ("%%BoundingBox: (atend)", as
// programs that learn the box only while drawing write it). Ghostscript crops to the header's
// box alone and rejects such a header, so the copy it reads gets the trailer's box in its place.
namespace boundingbox {

// What FillInDeferredBox found: a box in the header as it was, the trailer's box filled in, or
// a box deferred to the end that the end never gives.
enum class Box { AsGiven, FilledIn, NotGiven };

// Replaces, in the file at `path`, the deferred bounding-box lines of the header by the last
// such lines of the trailer; of a drawing with a binary preview header, only the PostScript
// section is kept, filled in. The file is left as it is unless a box is filled in, and only a
// file whose first lines defer the box is read whole.
Box FillInDeferredBox(const QString& path);

} // namespace boundingbox
