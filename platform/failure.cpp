#include "platform/failure.h"

namespace platform {

Failure::Failure(int number_, QString description_, QString source_, QString about_)
    : number(number_), description(std::move(description_)), source(std::move(source_)),
      about(std::move(about_)), utf8(description.toUtf8()) {}

void Raise(int number, const QString& description, const QString& source) {
    throw Failure(number, description.isEmpty() ? DescriptionOf(number) : description, source);
}

void RaiseAbout(const QString& about, int number, const QString& description) {
    throw Failure(number, description.isEmpty() ? DescriptionOf(number) : description, {}, about);
}

QString DescriptionOf(int number) {
    switch (number) {
    case 5: return QStringLiteral("Invalid procedure call or argument");
    case 6: return QStringLiteral("Overflow");
    case 7: return QStringLiteral("Out of memory");
    case 9: return QStringLiteral("Subscript out of range");
    case 13: return QStringLiteral("Type mismatch");
    case 52: return QStringLiteral("Bad file name or number");
    case 53: return QStringLiteral("File not found");
    case 57: return QStringLiteral("Device I/O error");
    case 58: return QStringLiteral("File already exists");
    case 61: return QStringLiteral("Disk full");
    case 70: return QStringLiteral("Permission denied");
    case 75: return QStringLiteral("Path/File access error");
    case 76: return QStringLiteral("Path not found");
    case 481: return QStringLiteral("Invalid picture");
    case 482: return QStringLiteral("Printer error");
    default: return QStringLiteral("Application-defined or object-defined error");
    }
}

} // namespace platform
