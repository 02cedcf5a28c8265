#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Drawings whose header defers the bounding box to the end ("%%BoundingBox: (atend)", as
// programs that learn the box only while drawing write it). Ghostscript crops to the header's
// box alone and rejects such a header, so the copy it reads gets the trailer's box in its place.
namespace boundingbox {

// The drawing with the deferred bounding-box lines of its header replaced by the last such
// lines of its trailer; nothing when the header defers none, or the trailer gives no box.
// `deferred`, when given, tells whether the header defers a box. Of a drawing with a binary
// preview header, the PostScript section alone is given back, filled in.
std::optional<QByteArray> WithBoxFromTrailer(const QByteArray& eps, bool* deferred = nullptr);

// What FillInDeferredBox found: a box in the header as it was, the trailer's box filled in, or
// a box deferred to the end that the end never gives.
enum class Box { AsGiven, FilledIn, NotGiven };

// Applies WithBoxFromTrailer to the file at `path` in place. Only a file whose first lines
// defer the box is read whole.
Box FillInDeferredBox(const QString& path);

} // namespace boundingbox
