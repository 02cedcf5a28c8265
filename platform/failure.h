#pragma once

#include <QByteArray>
#include <QString>
#include <exception>
#include <functional>
#include <optional>

namespace platform {

// A run-time failure: what a guarded procedure catches and shows in its error report.
// `number` follows the classic run-time error numbers (53 file not found, 70 permission
// denied, 76 path not found, ...); `description` is the text the user reads.
struct Failure : std::exception {
    Failure(int number, QString description, QString about = {});
    const char* what() const noexcept override { return utf8.constData(); }

    int number;
    QString description;
    // The folder or file the failure is about, when it is about one: two failures with the same
    // number about the same place have the same cause.
    QString about;

private:
    QByteArray utf8;
};

[[noreturn]] void Raise(int number, const QString& description);

// Raises a failure about a folder or file (see Failure::about).
[[noreturn]] void RaiseAbout(const QString& about, int number, const QString& description);

// The usual failures with their usual texts.
namespace errors {
constexpr int InvalidArgument = 5;
constexpr int Overflow = 6;
constexpr int OutOfMemory = 7;
constexpr int TypeMismatch = 13;
constexpr int FileNotFound = 53;
constexpr int PermissionDenied = 70;
constexpr int PathFileAccess = 75;
constexpr int PathNotFound = 76;
constexpr int DeviceIO = 57;
constexpr int DiskFull = 61;
constexpr int InvalidPicture = 481;
constexpr int PrinterError = 482;
} // namespace errors

// Runs `statement`; whatever it throws comes back as a failure (an exhausted memory as
// "Out of memory", any other exception with its own words), nothing when it ran through.
std::optional<Failure> Caught(const std::function<void()>& statement);

// The description of a failure number, as the run-time would word it.
QString DescriptionOf(int number);

} // namespace platform
