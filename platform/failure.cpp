#include "platform/failure.h"

#include <new>

namespace platform {

Failure::Failure(int number_, QString description_, QString about_)
    : number(number_), description(std::move(description_)), about(std::move(about_)),
      utf8(description.toUtf8()) {}

void Raise(int number, const QString& description) {
    throw Failure(number, description.isEmpty() ? DescriptionOf(number) : description);
}

void RaiseAbout(const QString& about, int number, const QString& description) {
    throw Failure(number, description.isEmpty() ? DescriptionOf(number) : description, about);
}

std::optional<Failure> Caught(const std::function<void()>& statement) {
    try {
        statement();
        return std::nullopt;
    } catch (const Failure& failure) {
        return failure;
    } catch (const std::bad_alloc&) {
        return Failure(errors::OutOfMemory, DescriptionOf(errors::OutOfMemory));
    } catch (const std::exception& other) {
        return Failure(0, QString::fromLocal8Bit(other.what()));
    }
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
